#pragma once
// A small least-recently-used map with a cost budget, for the renderer's derived data (morph
// geometry per ratio, colour-transformed bitmaps, text layouts).

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace swf::render {

template <typename Key, typename Value, typename Hash = std::hash<Key>>
class LruCache {
public:
    explicit LruCache(std::size_t budget) : budget_(budget) {}

    // The cached value, marked as used; nullptr when absent.
    Value* find(const Key& key)
    {
        auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        entries_.splice(entries_.begin(), entries_, it->second);
        return &it->second->value;
    }

    // Inserts (or replaces) and evicts the least recently used entries over the budget; the new
    // entry itself always stays, even when it alone exceeds the budget.
    Value& insert(const Key& key, Value value, std::size_t cost = 1)
    {
        if (auto it = index_.find(key); it != index_.end()) erase(it);
        entries_.push_front({key, std::move(value), cost});
        index_.emplace(key, entries_.begin());
        used_ += cost;
        while (used_ > budget_ && entries_.size() > 1) erase(index_.find(entries_.back().key));
        return entries_.front().value;
    }

    std::size_t size() const { return entries_.size(); }
    std::size_t used() const { return used_; }
    void clear()
    {
        entries_.clear();
        index_.clear();
        used_ = 0;
    }

private:
    struct Entry {
        Key key;
        Value value;
        std::size_t cost;
    };
    using Iterator = typename std::list<Entry>::iterator;

    void erase(typename std::unordered_map<Key, Iterator, Hash>::iterator it)
    {
        used_ -= it->second->cost;
        entries_.erase(it->second);
        index_.erase(it);
    }

    std::size_t budget_;
    std::size_t used_ = 0;
    std::list<Entry> entries_;
    std::unordered_map<Key, Iterator, Hash> index_;
};

}  // namespace swf::render
