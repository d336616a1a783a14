// An ordered list of shared objects addressed by a 1-based index or by an optional text key.
//
// Keys compare without regard to ASCII letter case and each key is used once; an empty key means
// "no key". Removing an entry shifts the later ones down; iteration is in insertion order.
// A bad index, an unknown key and a duplicate key raise distinct errors (all CollectionError);
// an operation that raises leaves the collection unchanged.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <iterator>
#include <utility>
#include <vector>

namespace qxcommon {

class CollectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class BadIndexError : public CollectionError {
public:
    BadIndexError(int64_t index, std::size_t count)
        : CollectionError("collection index " + std::to_string(index) + " is out of range (the collection has " +
                          std::to_string(count) + (count == 1 ? " entry)" : " entries)")) {}
};

class UnknownKeyError : public CollectionError {
public:
    explicit UnknownKeyError(std::string_view key)
        : CollectionError("no collection entry has the key \"" + std::string(key) + "\"") {}
};

class DuplicateKeyError : public CollectionError {
public:
    explicit DuplicateKeyError(std::string_view key)
        : CollectionError("the key \"" + std::string(key) + "\" is already used in this collection") {}
};

template <typename T>
class KeyedCollection {
public:
    using Pointer = std::shared_ptr<T>;

    // Appends `item`, optionally under `key`. Returns the item.
    const Pointer& Add(Pointer item, std::string_view key = {}) {
        std::string folded = Fold(key);
        if (!folded.empty() && byKey_.count(folded) != 0) throw DuplicateKeyError(key);
        Entry entry{std::move(item), std::string(key)};
        if (entries_.size() == entries_.capacity()) entries_.reserve(std::max<std::size_t>(8, 2 * entries_.size()));
        if (!folded.empty()) byKey_.emplace(std::move(folded), entry.item);
        entries_.push_back(std::move(entry));  // cannot throw after the reserve
        return entries_.back().item;
    }

    const Pointer& Item(int32_t index) const { return entries_[Position(index)].item; }

    const Pointer& Item(std::string_view key) const {
        auto it = byKey_.find(Fold(key));
        if (key.empty() || it == byKey_.end()) throw UnknownKeyError(key);
        return it->second;
    }

    bool Contains(std::string_view key) const { return !key.empty() && byKey_.count(Fold(key)) != 0; }

    // The key an entry was added under, as given ("" when it has none).
    const std::string& KeyOf(int32_t index) const { return entries_[Position(index)].key; }

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

    void Remove(int32_t index) { Erase(Position(index)); }

    void Remove(std::string_view key) {
        const std::string folded = Fold(key);
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return !e.key.empty() && Fold(e.key) == folded; });
        if (it == entries_.end()) throw UnknownKeyError(key);
        Erase(static_cast<std::size_t>(it - entries_.begin()));
    }

    // Room for `count` entries in all, as std::vector::reserve.
    void Reserve(std::size_t count) { entries_.reserve(count); }

    void Clear() {
        entries_.clear();
        byKey_.clear();
    }

private:
    struct Entry {
        Pointer item;
        std::string key;
    };

public:
    // Iteration yields the shared pointers in insertion order.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Pointer;
        using difference_type = std::ptrdiff_t;
        using pointer = const Pointer*;
        using reference = const Pointer&;

        const_iterator() = default;
        reference operator*() const { return it_->item; }
        pointer operator->() const { return &it_->item; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++it_;
            return old;
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

    private:
        friend class KeyedCollection;
        using Base = typename std::vector<Entry>::const_iterator;
        explicit const_iterator(Base it) : it_(it) {}
        Base it_{};
    };

    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

private:
    static std::string Fold(std::string_view key) {
        std::string folded(key);
        for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return folded;
    }

    std::size_t Position(int32_t index) const {
        if (index < 1 || static_cast<std::size_t>(index) > entries_.size()) throw BadIndexError(index, entries_.size());
        return static_cast<std::size_t>(index - 1);
    }

    void Erase(std::size_t pos) {
        if (!entries_[pos].key.empty()) byKey_.erase(Fold(entries_[pos].key));
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::string, Pointer> byKey_;
};

}  // namespace qxcommon
