#ifndef CORE_RESULTMAP_H
#define CORE_RESULTMAP_H

#include <QtGlobal>

#include <deque>

// One region's verdict of one stored detect stage. Times are packed local stamps
// (core/TimeStamp.h); 24 bytes an entry, since a busy day holds more than a million.
struct ResultEntry
{
    qint64 roundStart = -1;
    qint64 detectStart = -1;
    qint32 result = 1;      // non-zero OK, 0 NG
    qint8 camera = 0;
    qint8 detect = 0;
    qint16 region = 0;
};

// The result store's map from result key to entry, ordered exactly like the text keys
// "T:<time>_C:<camera>_D:<detect>_F:<region>" (the region number compares as text, so 10 comes
// before 2). The key's time is the round start or the capture time, chosen per map. Entries
// arrive almost in key order, so they live in one sorted sequence of fixed-size blocks:
// inserting near the end is cheap, growing never copies what is there (a 30-day read holds
// tens of millions of entries), and walking the map in key order is a plain scan.
class ResultMap
{
public:
    enum KeyTime { RoundStartKey, CaptureTimeKey };

    explicit ResultMap(KeyTime keyTime = RoundStartKey) : keyTime(keyTime) {}

    // Adds the entry unless one of the same key is there; true when it was added.
    bool insertIfMissing(const ResultEntry &entry);
    // Adds the entry, replacing one of the same key.
    void insertOrReplace(const ResultEntry &entry);

    // The same for the regions of one row, which follow each other in key order: position is
    // where the previous region went (-1 for the first of a row) and is moved past this one,
    // so a row costs one search instead of one per region.
    bool insertIfMissing(const ResultEntry &entry, int &position);
    void insertOrReplace(const ResultEntry &entry, int &position);
    // Takes every entry of other, which wins over an entry of the same key here.
    void mergeReplacing(ResultMap &&other);

    const ResultEntry *find(const ResultEntry &key) const;
    void clear() { entries.clear(); entries.shrink_to_fit(); }
    int size() const { return int(entries.size()); }
    bool isEmpty() const { return entries.empty(); }
    KeyTime keyKind() const { return keyTime; }

    std::deque<ResultEntry>::const_iterator begin() const { return entries.begin(); }
    std::deque<ResultEntry>::const_iterator end() const { return entries.end(); }

    // Strict ordering of two entries by the key of this map.
    bool keyLess(const ResultEntry &a, const ResultEntry &b) const;

private:
    // Position of the first entry whose key is not less than that of entry.
    std::deque<ResultEntry>::iterator lowerBound(const ResultEntry &entry);
    // Index of the first entry not less than entry, trying the hint first.
    int lowerBoundIndex(const ResultEntry &entry, int hint);
    // Inserts or, on an equal key, replaces when replace is set; returns whether it added.
    bool place(const ResultEntry &entry, bool replace, int &position);
    bool sameKey(const ResultEntry &a, const ResultEntry &b) const;

    KeyTime keyTime;
    std::deque<ResultEntry> entries;
};

#endif
