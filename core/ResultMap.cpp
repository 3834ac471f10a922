#include "core/ResultMap.h"

#include <algorithm>

namespace {

// A region number ordered like its decimal text: digits become 1..10 and the text is padded
// with 0 to five places, so "1" < "10" < "11" < "2". Region numbers stay below 100000.
quint32 regionTextOrder(int region)
{
    int digits[5];
    int count = 0;
    int value = qBound(0, region, 99999);
    do {
        digits[count++] = value % 10;
        value /= 10;
    } while (value > 0);
    quint32 order = 0;
    for (int place = 0; place < 5; ++place) {
        const int index = count - 1 - place;
        order = order * 11 + (index >= 0 ? quint32(digits[index] + 1) : 0);
    }
    return order;
}

} // namespace

bool ResultMap::keyLess(const ResultEntry &a, const ResultEntry &b) const
{
    const qint64 timeA = keyTime == RoundStartKey ? a.roundStart : a.detectStart;
    const qint64 timeB = keyTime == RoundStartKey ? b.roundStart : b.detectStart;
    if (timeA != timeB)
        return timeA < timeB;
    if (a.camera != b.camera)
        return a.camera < b.camera;
    if (a.detect != b.detect)
        return a.detect < b.detect;
    if (a.region == b.region)
        return false;
    return regionTextOrder(a.region) < regionTextOrder(b.region);
}

bool ResultMap::sameKey(const ResultEntry &a, const ResultEntry &b) const
{
    const qint64 timeA = keyTime == RoundStartKey ? a.roundStart : a.detectStart;
    const qint64 timeB = keyTime == RoundStartKey ? b.roundStart : b.detectStart;
    return timeA == timeB && a.camera == b.camera && a.detect == b.detect
           && a.region == b.region;
}

std::deque<ResultEntry>::iterator ResultMap::lowerBound(const ResultEntry &entry)
{
    return std::lower_bound(entries.begin(), entries.end(), entry,
                            [this](const ResultEntry &a, const ResultEntry &b) {
                                return keyLess(a, b);
                            });
}

int ResultMap::lowerBoundIndex(const ResultEntry &entry, int hint)
{
    const int size = int(entries.size());
    if (size == 0 || keyLess(entries.back(), entry))
        return size;
    if (hint >= 0 && hint <= size && (hint == 0 || keyLess(entries[size_t(hint - 1)], entry))
        && (hint == size || !keyLess(entries[size_t(hint)], entry)))
        return hint;
    return int(lowerBound(entry) - entries.begin());
}

bool ResultMap::place(const ResultEntry &entry, bool replace, int &position)
{
    const int index = lowerBoundIndex(entry, position);
    position = index + 1;
    if (index < int(entries.size()) && sameKey(entries[size_t(index)], entry)) {
        if (replace)
            entries[size_t(index)] = entry;
        return false;
    }
    if (index == int(entries.size()))
        entries.push_back(entry);
    else
        entries.insert(entries.begin() + index, entry);
    return true;
}

bool ResultMap::insertIfMissing(const ResultEntry &entry, int &position)
{
    return place(entry, false, position);
}

void ResultMap::insertOrReplace(const ResultEntry &entry, int &position)
{
    place(entry, true, position);
}

bool ResultMap::insertIfMissing(const ResultEntry &entry)
{
    int position = -1;
    return place(entry, false, position);
}

void ResultMap::insertOrReplace(const ResultEntry &entry)
{
    int position = -1;
    place(entry, true, position);
}

void ResultMap::mergeReplacing(ResultMap &&other)
{
    Q_ASSERT(other.keyTime == keyTime);
    if (entries.empty()) {
        entries.swap(other.entries);
        return;
    }
    // Both are sorted: one linear merge, the entry of other winning on equal keys.
    std::deque<ResultEntry> merged;
    auto mine = entries.cbegin();
    auto theirs = other.entries.cbegin();
    while (mine != entries.cend() || theirs != other.entries.cend()) {
        if (theirs == other.entries.cend()) {
            merged.push_back(*mine++);
        } else if (mine == entries.cend() || keyLess(*theirs, *mine)) {
            merged.push_back(*theirs++);
        } else if (keyLess(*mine, *theirs)) {
            merged.push_back(*mine++);
        } else {
            merged.push_back(*theirs++);
            ++mine;
        }
    }
    entries.swap(merged);
    other.clear();
}

const ResultEntry *ResultMap::find(const ResultEntry &key) const
{
    const auto position = std::lower_bound(entries.begin(), entries.end(), key,
                                           [this](const ResultEntry &a, const ResultEntry &b) {
                                               return keyLess(a, b);
                                           });
    if (position != entries.end() && sameKey(*position, key))
        return &*position;
    return nullptr;
}
