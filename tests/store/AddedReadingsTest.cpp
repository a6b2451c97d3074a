#include "store/AddedReadings.h"

#include <QDateTime>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("120541001");

QString keyAt(const QDateTime& at, const QString& id = kId) {
    return id + at.toString(" yyyy/MM/dd HH:mm:ss");
}

} // namespace

// The compact form answers as the plain set of its keys would: for regular runs, runs that
// overlap or go back in time, single readings, repeats, other sensors' keys and keys of no
// date at all, and for keys added after a question was asked.
TEST(AddedReadings, AnswersAsTheSetOfItsKeys) {
    const QDateTime start(QDate(2015, 2, 27), QTime(22, 0));
    QStringList keys;
    for (int h = 0; h < 300; ++h) {
        if (h != 150) {
            keys << keyAt(start.addSecs(3600LL * h)); // hourly, one hour missing
        }
    }
    for (int h = 600; h > 400; h -= 2) {
        keys << keyAt(start.addSecs(3600LL * h)); // every two hours, backwards
    }
    for (int h = 401; h < 500; h += 6) {
        keys << keyAt(start.addSecs(3600LL * h)); // inside the run before
    }
    keys << keyAt(start.addSecs(100 * 3600 + 90)) << keyAt(start.addSecs(10 * 3600))
         << keyAt(start.addSecs(-86400 * 400));
    keys << keyAt(start.addSecs(3600LL * 700), QStringLiteral("120541002"))
         << QStringLiteral("typed by hand") << kId + QStringLiteral(" 2015/02/30 10:00:00");

    AddedReadings added = AddedReadings::of(keys);
    const QSet<QString> expected(keys.begin(), keys.end());
    const auto agrees = [&](const QSet<QString>& set) {
        int wrong = 0;
        for (qint64 s = -86400LL * 401; s < 3600LL * 1100; s += 1800) {
            for (const QString& id : {kId, QStringLiteral("120541002")}) {
                const QString key = keyAt(start.addSecs(s), id);
                wrong += added.contains(key) != set.contains(key) ? 1 : 0;
            }
        }
        for (const QString& key : set) {
            wrong += added.contains(key) ? 0 : 1;
        }
        return wrong;
    };
    EXPECT_EQ(agrees(expected), 0);
    const QStringList listed = added.keys();
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), expected);
    EXPECT_TRUE(added.contains("typed by hand"));
    EXPECT_FALSE(added.contains("typed"));
    EXPECT_FALSE(added.contains(kId + " 2015/02/28 22:00:01"));

    // Added after the questions: the new run is found, the old ones still are.
    QSet<QString> more = expected;
    for (int h = 0; h < 48; ++h) {
        const QString key = keyAt(start.addSecs(3600LL * (1000 + h) + 1800));
        added.add(key);
        more.insert(key);
    }
    EXPECT_EQ(agrees(more), 0);
    EXPECT_TRUE(AddedReadings().isEmpty());
    EXPECT_FALSE(AddedReadings().contains(keys.first()));
}

// Keys given as UTF-8 bytes are the same keys as when given as texts: a run goes on across
// both forms, and ids beyond ASCII, other sensors' keys and keys of no date are kept as such.
TEST(AddedReadings, ReadsKeysGivenAsBytesAsTheirTexts) {
    const QDateTime start(QDate(2016, 12, 31), QTime(23, 0));
    QStringList keys;
    for (int h = 0; h < 40; ++h) {
        keys << keyAt(start.addSecs(3600LL * h));
    }
    keys << keyAt(start.addSecs(3600LL * 5), QStringLiteral("Bohrloch-Süd"))
         << keyAt(start.addSecs(3600LL * 6), QStringLiteral("120541002"))
         << QStringLiteral("typed by hand") << kId + QStringLiteral(" 2016/13/01 10:00:00");

    AddedReadings added;
    for (qsizetype k = 0; k < keys.size(); ++k) {
        if (k % 3 == 0) {
            added.add(keys[k]);
        } else {
            const QByteArray bytes = keys[k].toUtf8();
            added.add(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        }
    }
    const QStringList listed = added.keys();
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(keys.begin(), keys.end()));
    EXPECT_EQ(listed.size(), keys.size());
    for (const QString& key : keys) {
        EXPECT_TRUE(added.contains(key)) << key.toStdString();
    }
    EXPECT_FALSE(added.contains(keyAt(start.addSecs(3600LL * 40))));
    EXPECT_FALSE(added.contains(keyAt(start.addSecs(3600LL * 6), QStringLiteral("Bohrloch-Süd"))));
}
