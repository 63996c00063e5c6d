// The engine's start-up: GStreamer initialised by a warm-up on a helper thread or lazily by the first
// pipeline. This program does not initialise GStreamer in its main, so each test (run in a process of
// its own) meets the engine as the program does at start.

#include "platform/media/media_engine.h"
#include "platform/media/media_pipeline.h"

#include "test_media.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <memory>

using namespace lanseek::platform;
using State = MediaPipeline::State;

namespace {

constexpr int kClipMs = 400;
constexpr int kWaitMs = 15000;

// Plays `source` to its end; true when it played (first buffer at the sink, stopped again, no error).
::testing::AssertionResult playsToTheEnd(const QString& source)
{
    MediaPipeline p;
    QStringList errors;
    QObject::connect(&p, &MediaPipeline::errorOccurred, [&errors](const QString& e) { errors << e; });
    QSignalSpy firstBuffer(&p, &MediaPipeline::firstBufferReached);
    p.setSource(source);
    p.play();
    if (!QTest::qWaitFor([&] { return p.state() == State::Playing; }, kWaitMs))
        return ::testing::AssertionFailure() << "never played; " << errors.join(u'\n').toStdString();
    if (!QTest::qWaitFor([&] { return p.state() == State::Stopped; }, kWaitMs))
        return ::testing::AssertionFailure() << "never ended";
    if (!errors.isEmpty())
        return ::testing::AssertionFailure() << errors.join(u'\n').toStdString();
    if (firstBuffer.count() < 1)
        return ::testing::AssertionFailure() << "no buffer reached the sink";
    return ::testing::AssertionSuccess();
}

class EngineStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_wav = lanseek::test::makeWav(kClipMs, 440);
        ASSERT_TRUE(lanseek::test::writeFile(m_dir.filePath(QStringLiteral("tone.wav")), m_wav));
    }
    QString fileSource() const
    {
        return QStringLiteral("file:///") + m_dir.filePath(QStringLiteral("tone.wav"));
    }

    QTemporaryDir m_dir;
    QByteArray m_wav;
};

TEST_F(EngineStart, PlaysFromTheWebAndFromFilesWhileTheWarmUpIsUnderWay)
{
    lanseek::test::LocalWebServer server;
    server.serve("/tone.wav", m_wav, "audio/x-wav");
    // The first pipeline is made at once, so it meets the warm-up's initialisation or plugin loading
    // part-way; either way it plays, and the warm-up ends on its own.
    MediaEngineWarmUp warmUp;
    EXPECT_TRUE(playsToTheEnd(server.url("/tone.wav")));
    EXPECT_GE(server.hits("/tone.wav"), 1);
    EXPECT_TRUE(playsToTheEnd(fileSource()));
    warmUp.wait();
    EXPECT_TRUE(warmUp.finished());
    EXPECT_TRUE(gst_is_initialized());
}

TEST_F(EngineStart, FirstPipelineInitialisesTheEngineWhenNoWarmUpRan)
{
    EXPECT_TRUE(playsToTheEnd(fileSource()));
    EXPECT_TRUE(gst_is_initialized());
    // A warm-up that comes later finds the engine ready and loads what is still missing.
    MediaEngineWarmUp late;
    late.wait();
    EXPECT_TRUE(late.finished());
    EXPECT_TRUE(playsToTheEnd(fileSource()));
}

TEST_F(EngineStart, WarmUpsEndCleanlyHoweverSoonTheyAreLetGo)
{
    // A program that embeds the engine may initialise GStreamer itself, with its own arguments.
    gst_init(nullptr, nullptr);
    for (int i = 0; i < 3; ++i)
        std::make_unique<MediaEngineWarmUp>().reset();
    {
        MediaEngineWarmUp first;
        MediaEngineWarmUp second;
        second.wait();
        second.wait();
        EXPECT_TRUE(second.finished());
    }
    EXPECT_TRUE(playsToTheEnd(fileSource()));
}

} // namespace
