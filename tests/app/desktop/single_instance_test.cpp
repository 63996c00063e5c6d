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
    int code = -1; // -1: it did not end in time, or crashed
    QString output, errors;
};

// Runs the program to its end with the event loop going, since it may talk to this process's window. A
// start that gets past the check shows its window, says "painted" and ends.
ProgramRun runProgram(QProcessEnvironment env)
{
    env.insert(QStringLiteral("LANSEEK_SERVICE"), QStringLiteral("http://127.0.0.1:9"));
    env.insert(QStringLiteral("LANSEEK_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(env);
    QSignalSpy ended(&program, &QProcess::finished);
    program.start(QStringLiteral(LANSEEK_PROGRAM));
    ProgramRun run;
    if (!ended.wait(30000)) {
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

TEST_F(SingleInstance, ASecondStartBringsTheFirstWindowBackAndEnds)
{
    app::InstanceGate gate(program);
    QString why;
    ASSERT_EQ(gate.claim(&why), app::InstanceRole::First) << why.toStdString();
    gate.attach(&form->presence());
    form->show();
    form->CustomItem4Click(); // to the tray, or minimized where the desktop has no tray
    ASSERT_NE(form->SeSkinForm1->WindowState(), kwsNormal);
    // The bus gives the name once: another claim, as from a start at the same moment, loses.
    EXPECT_EQ(app::InstanceGate(remote).claim(&why), app::InstanceRole::Running);

    const ProgramRun second = runProgram(bus.childEnvironment());
    EXPECT_EQ(second.code, 0) << second.errors.toStdString();
    EXPECT_FALSE(second.output.contains(QStringLiteral("painted"))) << "it showed a window of its own";
    EXPECT_TRUE(waitFor([&] { return form->SeSkinForm1->WindowState() == kwsNormal; }));
    EXPECT_TRUE(form->window()->isVisible());
}

TEST_F(SingleInstance, WithoutASessionBusTheProgramStartsAsBeforeAndSaysWhyOnce)
{
    QString why;
    EXPECT_EQ(app::InstanceGate(QDBusConnection(QStringLiteral("none"))).claim(&why),
              app::InstanceRole::Alone);
    EXPECT_FALSE(why.isEmpty());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               "unix:path=" + folder.filePath(QStringLiteral("none")));
    const ProgramRun alone = runProgram(env);
    EXPECT_EQ(alone.code, 0) << alone.errors.toStdString();
    EXPECT_TRUE(alone.output.contains(QStringLiteral("painted"))) << "the window did not appear";
    EXPECT_EQ(alone.errors.count(QStringLiteral("no session bus")), 1) << alone.errors.toStdString();
}

} // namespace lanseek::test
