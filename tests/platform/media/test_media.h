#pragma once

// Helpers shared by the media tests: generated audio files and a small local web server.

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <string>

namespace lanseek::test {

// A mono 16-bit PCM WAV file of a sine tone, `ms` long at 8000 Hz, with a title in its INFO list
// when one is given.
QByteArray makeWav(int ms, double frequency = 440.0, const QString& title = {});
bool writeFile(const QString& path, const QByteArray& bytes);

// Serves fixed bodies on 127.0.0.1 at an ephemeral port until destroyed.
class LocalWebServer
{
public:
    LocalWebServer();
    ~LocalWebServer();
    void serve(const std::string& path, QByteArray body, const std::string& contentType);
    void redirect(const std::string& path, const std::string& target);
    QString url(const std::string& path) const;
    int hits(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace lanseek::test
