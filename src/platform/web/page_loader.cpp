#include "platform/web/page_loader.h"

#include "platform/web/address.h"
#include "platform/web/html_parse.h"

#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

#include <string>

namespace lanseek::platform {

namespace {

struct CurlEasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct CurlListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Transfer
{
    std::string body;
    bool tooLarge = false;
    const std::atomic<bool>* cancelled = nullptr;
    const ProgressSink* progress = nullptr;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (static_cast<std::int64_t>(t->body.size() + n) > kMaxPageBytes) {
        t->tooLarge = true;
        return 0; // a short write makes curl abort the transfer
    }
    t->body.append(data, n);
    return n;
}

int onTransferInfo(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    if (t->cancelled->load()) {
        return 1; // non-zero aborts the transfer
    }
    if (dlNow > 0 && *t->progress) {
        (*t->progress)(dlNow, dlTotal);
    }
    return 0;
}

LoadOutcome failure(const QString& error, std::int64_t received = 0)
{
    LoadOutcome out;
    out.error = error;
    out.received = received;
    return out;
}

LoadOutcome loadHttp(const QString& address, const std::atomic<bool>& cancelled, const ProgressSink& progress)
{
    std::unique_ptr<CURL, CurlEasyDeleter> curl(curl_easy_init());
    if (!curl) {
        return failure(QStringLiteral("cannot create a transfer"));
    }
    const std::string wire = wireAddress(address);
    Transfer transfer;
    transfer.cancelled = &cancelled;
    transfer.progress = &progress;
    std::unique_ptr<curl_slist, CurlListDeleter> headers(curl_slist_append(nullptr, "Accept: */*"));

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, wire.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, kTotalTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPageBytes));
    // The compressions every server offers; the size limit applies to the decompressed body.
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; lanseek)");
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &onTransferInfo);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode rc = curl_easy_perform(c);
    const auto received = static_cast<std::int64_t>(transfer.body.size());
    if (cancelled.load()) {
        return failure(QStringLiteral("cancelled"), received);
    }
    if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        return failure(QStringLiteral("page larger than %1 bytes").arg(kMaxPageBytes), received);
    }
    if (rc != CURLE_OK) {
        return failure(QString::fromUtf8(curl_easy_strerror(rc)), received);
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        return failure(QStringLiteral("HTTP status %1").arg(status), received);
    }
    const char* contentType = nullptr;
    curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType);
    long redirects = 0;
    curl_easy_getinfo(c, CURLINFO_REDIRECT_COUNT, &redirects);
    // Links resolve against the page's final address; without a redirect that is the address as the
    // program wrote it, so that resolved links keep the program's own text.
    QString base = address;
    const char* effective = nullptr;
    if (redirects > 0 && curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
        base = QString::fromUtf8(effective);
    }
    LoadOutcome out;
    out.received = received;
    out.document = buildDocument(
        transfer.body, contentType ? std::string_view(contentType) : std::string_view(), address, base);
    return out;
}

LoadOutcome loadFile(const QString& address, const ProgressSink& progress)
{
    const QString path = localPathOf(address);
    const QFileInfo info(path);
    if (!info.isFile()) {
        return failure(QStringLiteral("no such file: %1").arg(path));
    }
    if (info.size() > kMaxPageBytes) {
        return failure(QStringLiteral("file larger than %1 bytes: %2").arg(kMaxPageBytes).arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.read(kMaxPageBytes + 1);
    if (bytes.size() > kMaxPageBytes) {
        return failure(QStringLiteral("file larger than %1 bytes: %2").arg(kMaxPageBytes).arg(path));
    }
    if (progress) {
        progress(bytes.size(), bytes.size());
    }
    LoadOutcome out;
    out.received = bytes.size();
    out.document = buildDocument(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), {},
                                 address, address);
    return out;
}

} // namespace

LoadOutcome loadPage(const QString& address, const std::atomic<bool>& cancelled, const ProgressSink& progress)
{
    const QString trimmed = address.trimmed();
    if (isFileAddress(trimmed)) {
        return loadFile(address, progress);
    }
    if (trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        return loadHttp(address, cancelled, progress);
    }
    if (trimmed.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0) {
        LoadOutcome out;
        out.document = buildDocument({}, {}, address, address);
        return out;
    }
    return failure(QStringLiteral("unsupported address: %1").arg(address));
}

} // namespace lanseek::platform
