// The playback core tests; the player control they create needs an application object.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing here may need a sound card.
    if (qEnvironmentVariableIsEmpty("LANSEEK_AUDIO_SINK"))
        qputenv("LANSEEK_AUDIO_SINK", "fakesink");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
