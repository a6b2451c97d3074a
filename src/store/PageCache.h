#pragma once

#include <QVariant>

class Connection;

// A larger page cache on a database file for as long as it stands, the cache it had (and the
// memory it held) back after. A transaction that rewrites more pages than the default cache
// holds spills them over and over, each spill syncing the journal; a server is left alone.
class LargerPageCache {
public:
    LargerPageCache(Connection& db, int kibibytes);
    ~LargerPageCache();
    LargerPageCache(const LargerPageCache&) = delete;
    LargerPageCache& operator=(const LargerPageCache&) = delete;

private:
    Connection& db_;
    QVariant previous_; // null: the cache was not changed
};
