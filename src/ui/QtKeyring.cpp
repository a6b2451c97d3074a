#include "ui/QtKeyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {
const QString kService = QStringLiteral("Quorvelle site server");

// Runs the job to its end; true when it succeeded.
bool run(QKeychain::Job& job, const QString& account) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(account);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    // The loop also ends when the program is asked to end, before the job has.
    loop.exec();
    return finished && job.error() == QKeychain::NoError;
}
} // namespace

QString keyringAccount(const QString& user, const QString& host, int port,
                       const QString& database) {
    return user + '@' + host + ':' + QString::number(port) + '/' + database;
}

std::optional<QString> QtKeyring::password(const QString& account) {
    QKeychain::ReadPasswordJob job(kService);
    if (!run(job, account)) {
        return std::nullopt;
    }
    return job.textData();
}

bool QtKeyring::store(const QString& account, const QString& password) {
    QKeychain::WritePasswordJob job(kService);
    job.setTextData(password);
    return run(job, account);
}

void QtKeyring::forget(const QString& account) {
    QKeychain::DeletePasswordJob job(kService);
    run(job, account);
}
