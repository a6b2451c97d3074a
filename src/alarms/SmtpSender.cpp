#include "alarms/SmtpSender.h"

#include <QStringList>
#include <curl/curl.h>
#include <mutex>

namespace {
constexpr long kTimeoutSeconds = 10;

struct Transfer {
    QByteArray message;
    qsizetype sent = 0;
    QStringList answers; // every line the server sent
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype n = std::min(room, transfer->message.size() - transfer->sent);
    std::memcpy(buffer, transfer->message.constData() + transfer->sent, n);
    transfer->sent += n;
    return static_cast<size_t>(n);
}

int collectAnswers(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type == CURLINFO_HEADER_IN) {
        auto* transfer = static_cast<Transfer*>(user);
        for (const QString& line : QString::fromUtf8(data, static_cast<qsizetype>(size))
                                       .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            transfer->answers << line.trimmed();
        }
    }
    return 0;
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QByteArray bracketed(const QString& address) {
    return "<" + address.toUtf8() + ">";
}
} // namespace

SmtpOutcome sendMail(const MailSettings& settings, const QString& to, const QByteArray& message) {
    initialiseOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return {SmtpOutcome::Kind::TryLater, QStringLiteral("The mail library could not start")};
    }
    Transfer transfer{message, 0, {}};
    const QByteArray url = settings.server.toUtf8();
    const QByteArray from = bracketed(settings.from);
    const QByteArray user = settings.user.toUtf8();
    const QByteArray password = settings.password.toUtf8();
    const QByteArray caFile = settings.caFile.toUtf8();
    curl_slist* recipients = curl_slist_append(nullptr, bracketed(to).constData());
    char error[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, collectAnswers);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kTimeoutSeconds);
    // A server that stops reading or answering mid-message.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
    if (!settings.user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    if (url.startsWith("smtp://")) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    }
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    }

    const CURLcode code = curl_easy_perform(curl);
    long response = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);

    // The answer that decided the transfer; the connection's closing answer may follow it.
    QString last;
    for (auto it = transfer.answers.crbegin(); it != transfer.answers.crend(); ++it) {
        if (response > 0 && it->startsWith(QString::number(response))) {
            last = *it;
            break;
        }
    }
    const QString why =
        error[0] != '\0' ? QString::fromUtf8(error) : QString::fromUtf8(curl_easy_strerror(code));
    if (code == CURLE_OK) {
        return {SmtpOutcome::Kind::Sent, last};
    }
    if (code == CURLE_LOGIN_DENIED || response == 530) {
        return {SmtpOutcome::Kind::LoginRefused, last.isEmpty() ? why : last};
    }
    if (response >= 500 && response < 600) {
        return {SmtpOutcome::Kind::Refused, last.isEmpty() ? why : last};
    }
    if (response >= 400 && response < 500 && !last.isEmpty()) {
        return {SmtpOutcome::Kind::TryLater, last};
    }
    return {SmtpOutcome::Kind::TryLater, why};
}
