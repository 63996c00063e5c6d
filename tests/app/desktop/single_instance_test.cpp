// One program per session: a later start of the real program brings the first one's window back and
// ends at once; without a bus the program starts as before and says why once.

#include "app/desktop/desktop_fixture.h"

#include "app/desktop/instance_gate.h"
#include "skin/forms/se_skin_form.h"

#include <QProcess>
#include <QSignalSpy>

namespace lanseek::test {

namespace {

struct ProgramRun
{
    bool finished = false;
    int code = -1;
    QString output;
    QString errors;
};

// Runs the program to its end with the event loop going, since it may talk to this process's window.
ProgramRun runProgram(const QProcessEnvironment& environment, int ms)
{
    QProcess program;
    QProcessEnvironment env = environment;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A start that got past the check would not start the bundled service either.
    env.insert(QStringLiteral("LANSEEK_SERVICE"), QStringLiteral("http://127.0.0.1:9"));
    env.insert(QStringLiteral("LANSEEK_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    QSignalSpy ended(&program, &QProcess::finished);
    program.start(QStringLiteral(LANSEEK_PROGRAM));
    ProgramRun run;
    run.finished = ended.wait(ms);
    if (!run.finished) {
        program.kill();
        program.waitForFinished(3000);
        return run;
    }
    run.code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.output = QString::fromUtf8(program.readAllStandardOutput());
    run.errors = QString::fromUtf8(program.readAllStandardError());
    return run;
}

} // namespace

using SingleInstance = DesktopForm;

TEST_F(SingleInstance, ASecondStartBringsTheFirstWindowBackFromTheTrayAndEnds)
{
    app::InstanceGate gate(program);
    QString why;
    ASSERT_EQ(gate.claim(&why), app::InstanceRole::First) << why.toStdString();
    gate.attach(&form->presence());
    form->show();
    form->CustomItem4Click(); // to the tray, or minimized where the desktop has no tray
    ASSERT_NE(form->SeSkinForm1->WindowState(), kwsNormal);

    // The name is the bus's to give once: another claim, as from a start at the same moment, loses.
    app::InstanceGate racing(remote);
    EXPECT_EQ(racing.claim(&why), app::InstanceRole::Running);

    const ProgramRun second = runProgram(bus.childEnvironment(), 20000);
    ASSERT_TRUE(second.finished) << "the second start did not end";
    EXPECT_EQ(second.code, 0) << second.errors.toStdString();
    EXPECT_FALSE(second.output.contains(QStringLiteral("painted"))) << "it showed a window of its own";
    EXPECT_TRUE(waitFor([&] { return form->SeSkinForm1->WindowState() == kwsNormal; }));
    EXPECT_TRUE(form->window()->isVisible());
}

TEST_F(SingleInstance, WithoutASessionBusTheProgramStartsAsBeforeAndSaysWhyOnce)
{
    app::InstanceGate gate(QDBusConnection(QStringLiteral("no such connection")));
    QString why;
    EXPECT_EQ(gate.claim(&why), app::InstanceRole::Alone);
    EXPECT_FALSE(why.isEmpty());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus")));
    const ProgramRun alone = runProgram(environment, 30000);
    ASSERT_TRUE(alone.finished);
    EXPECT_EQ(alone.code, 0) << alone.errors.toStdString();
    EXPECT_TRUE(alone.output.contains(QStringLiteral("painted"))) << "the window did not appear";
    EXPECT_EQ(alone.errors.count(QStringLiteral("no session bus")), 1) << alone.errors.toStdString();
}

} // namespace lanseek::test
