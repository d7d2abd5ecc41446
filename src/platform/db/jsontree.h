#pragma once
// A JSON text read once into one block of nodes, for walking a large tree
// (the parser's statement trees) without a container and a string made per
// node: values are views into the document, which outlives them.
//
// It reads as Qt's JSON classes do, so that a walk written for those gives
// the same answers: an object's members come in the order of their names
// (byte order), a name given twice keeps its last value, more than 1024
// levels of objects and arrays are refused, a missing member or a value of
// another kind reads as undefined, an empty object or array, a null string.

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <cstdint>
#include <vector>

class TreeContainer;
class TreeObject;
class TreeArray;
class TreeDocument;

class TreeValue {
public:
    TreeValue() = default;
    // An object or array as a value (undefined for a default-made one).
    TreeValue(const TreeContainer& c);  // NOLINT: as Qt's JSON values convert
    bool isUndefined() const { return !n_; }
    bool isObject() const;
    bool isArray() const;
    bool isString() const;
    TreeObject toObject() const;
    TreeArray toArray() const;
    // The text of a string value (decoded), `fallback` for any other.
    QString toString(const QString& fallback = QString()) const;
    // An integral number within int's range, `fallback` for any other value.
    int toInt(int fallback = 0) const;
    bool toBool(bool fallback = false) const;

private:
    friend class TreeObject;
    friend class TreeArray;
    friend class TreeDocument;
    TreeValue(const TreeDocument* d, std::uint32_t n) : d_(d), n_(n) {}
    const TreeDocument* d_ = nullptr;
    std::uint32_t n_ = 0;  // the node's index + 1; 0: undefined
};

// What an object and an array hold: a run of members or items of the
// document's, and the node they belong to.
class TreeContainer {
public:
    bool isEmpty() const { return count_ == 0; }
    qsizetype size() const { return count_; }

protected:
    friend class TreeValue;
    TreeContainer() = default;
    TreeContainer(const TreeDocument* d, std::uint32_t n, std::uint32_t first, std::uint32_t count)
        : d_(d), n_(n), first_(first), count_(count) {}
    const TreeDocument* d_ = nullptr;
    std::uint32_t n_ = 0, first_ = 0, count_ = 0;
};

class TreeObject : public TreeContainer {
public:
    TreeObject() = default;
    bool contains(QLatin1StringView key) const { return !value(key).isUndefined(); }
    TreeValue value(QLatin1StringView key) const;

    class const_iterator {
    public:
        QLatin1StringView key() const;  // member names are ASCII
        TreeValue value() const;
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }

    private:
        friend class TreeObject;
        const_iterator(const TreeDocument* d, std::uint32_t i) : d_(d), i_(i) {}
        const TreeDocument* d_;
        std::uint32_t i_;
    };
    const_iterator constBegin() const { return {d_, first_}; }
    const_iterator constEnd() const { return {d_, first_ + count_}; }

private:
    friend class TreeValue;
    using TreeContainer::TreeContainer;
};

class TreeArray : public TreeContainer {
public:
    TreeArray() = default;
    // Undefined outside 0..size()-1.
    TreeValue at(qsizetype i) const;
    TreeValue last() const { return at(size() - 1); }

    class const_iterator {
    public:
        TreeValue operator*() const;
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        friend class TreeArray;
        const_iterator(const TreeDocument* d, std::uint32_t i) : d_(d), i_(i) {}
        const TreeDocument* d_;
        std::uint32_t i_;
    };
    const_iterator begin() const { return {d_, first_}; }
    const_iterator end() const { return {d_, first_ + count_}; }

private:
    friend class TreeValue;
    using TreeContainer::TreeContainer;
};

class TreeDocument {
public:
    // Reads `json` (one object or array, blanks around it). False, with the
    // document empty, for text that is not JSON or nests too deep.
    bool parse(QByteArray json);
    // The object or array read; undefined before a parse that succeeded.
    TreeValue root() const { return nodes_.empty() ? TreeValue() : TreeValue(this, 1); }

private:
    friend class TreeValue;
    friend class TreeObject;
    friend class TreeArray;
    friend class TreeReader;
    enum class Kind : std::uint8_t { Null, False, True, Number, String, Array, Object };
    struct Node {
        Kind kind;
        std::uint32_t a = 0;  // String: offset in text_; Array/Object: first item/member
        std::uint32_t b = 0;  // String: length; Array/Object: count
        double number = 0;
    };
    struct Member {
        std::uint32_t key, keyLength;  // in text_
        std::uint32_t node;            // index in nodes_
    };
    QByteArray text_;  // the JSON, its strings decoded where they stand
    std::vector<Node> nodes_;
    std::vector<std::uint32_t> items_;
    std::vector<Member> members_;
};

inline TreeValue::TreeValue(const TreeContainer& c) : d_(c.d_), n_(c.n_) {}
