#include "db/jsontree.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

// ------------------------------------------------------------------ reading

class TreeReader {
public:
    explicit TreeReader(TreeDocument& d)
        : d_(d), p_(d.text_.data()), end_(d.text_.data() + d.text_.size()) {}

    bool document() {
        blanks();
        if (p_ == end_ || (*p_ != '{' && *p_ != '[')) return false;
        std::uint32_t root;
        if (!value(root)) return false;
        blanks();
        return p_ == end_;
    }

private:
    using Kind = TreeDocument::Kind;
    // As deep as Qt's reader goes.
    static constexpr int kDeepest = 1024;

    void blanks() {
        while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
    }

    std::uint32_t add(Kind kind) {
        d_.nodes_.push_back({kind});
        return std::uint32_t(d_.nodes_.size() - 1);
    }

    bool value(std::uint32_t& index) {
        if (p_ == end_) return false;
        switch (*p_) {
            case '{':
                return object(index);
            case '[':
                return array(index);
            case '"': {
                std::uint32_t at, length;
                if (!string(at, length)) return false;
                index = add(Kind::String);
                d_.nodes_[index].a = at;
                d_.nodes_[index].b = length;
                return true;
            }
            case 't':
                index = add(Kind::True);
                return word("true");
            case 'f':
                index = add(Kind::False);
                return word("false");
            case 'n':
                index = add(Kind::Null);
                return word("null");
            default:
                return number(index);
        }
    }

    bool word(const char* w) {
        const std::size_t n = std::strlen(w);
        if (std::size_t(end_ - p_) < n || std::memcmp(p_, w, n) != 0) return false;
        p_ += n;
        return true;
    }

    bool number(std::uint32_t& index) {
        const char* from = p_;
        if (p_ != end_ && *p_ == '-') ++p_;
        const char* digits = p_;
        while (p_ != end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        if (p_ == digits || (*digits == '0' && p_ - digits > 1)) return false;
        if (p_ != end_ && *p_ == '.') {
            const char* fraction = ++p_;
            while (p_ != end_ && *p_ >= '0' && *p_ <= '9') ++p_;
            if (p_ == fraction) return false;
        }
        if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
            const char* exponent = p_;
            while (p_ != end_ && *p_ >= '0' && *p_ <= '9') ++p_;
            if (p_ == exponent) return false;
        }
        double v = 0;
        const auto [stop, ec] = std::from_chars(from, p_, v);
        if (stop != p_ || (ec != std::errc() && ec != std::errc::result_out_of_range)) return false;
        index = add(Kind::Number);
        d_.nodes_[index].number = v;
        return true;
    }

    static int hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    bool unit(char32_t& u) {  // the four digits after "\u"
        if (end_ - p_ < 4) return false;
        u = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = hex(p_[i]);
            if (h < 0) return false;
            u = u * 16 + char32_t(h);
        }
        p_ += 4;
        return true;
    }
    static char* utf8(char32_t c, char* w) {
        if (c < 0x80) {
            *w++ = char(c);
        } else if (c < 0x800) {
            *w++ = char(0xC0 | (c >> 6));
            *w++ = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *w++ = char(0xE0 | (c >> 12));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
            *w++ = char(0x80 | (c & 0x3F));
        } else {
            *w++ = char(0xF0 | (c >> 18));
            *w++ = char(0x80 | ((c >> 12) & 0x3F));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
            *w++ = char(0x80 | (c & 0x3F));
        }
        return w;
    }

    // A string at p_ decoded where it stands: what is written never passes
    // what has been read ("\u" and four digits give at most three bytes, a
    // pair of them four).
    bool string(std::uint32_t& at, std::uint32_t& length) {
        ++p_;  // the opening quote
        char* const start = p_;
        char* w = p_;
        for (;;) {
            if (p_ == end_) return false;
            const char c = *p_;
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                *w++ = *p_++;
                continue;
            }
            if (++p_ == end_) return false;
            const char e = *p_++;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    *w++ = e;
                    break;
                case 'b':
                    *w++ = '\b';
                    break;
                case 'f':
                    *w++ = '\f';
                    break;
                case 'n':
                    *w++ = '\n';
                    break;
                case 'r':
                    *w++ = '\r';
                    break;
                case 't':
                    *w++ = '\t';
                    break;
                case 'u': {
                    char32_t u;
                    if (!unit(u)) return false;
                    if (u >= 0xD800 && u <= 0xDBFF && end_ - p_ >= 6 && p_[0] == '\\' &&
                        p_[1] == 'u') {
                        char* const back = p_;
                        p_ += 2;
                        char32_t low;
                        if (unit(low) && low >= 0xDC00 && low <= 0xDFFF)
                            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                        else
                            p_ = back;
                    }
                    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // half a pair
                    w = utf8(u, w);
                    break;
                }
                default:
                    return false;
            }
        }
        ++p_;  // the closing quote
        at = std::uint32_t(start - d_.text_.data());
        length = std::uint32_t(w - start);
        return true;
    }

    // The items of an array or the members of an object, `each` reading
    // one, up to the closing mark `close`, one level deeper.
    template <typename Each>
    bool container(char close, Each each) {
        if (++depth_ > kDeepest) return false;
        ++p_;
        blanks();
        if (p_ != end_ && *p_ == close) {
            ++p_;
        } else {
            for (;;) {
                blanks();
                if (!each()) return false;
                blanks();
                if (p_ == end_) return false;
                if (*p_ == close) {
                    ++p_;
                    break;
                }
                if (*p_++ != ',') return false;
            }
        }
        --depth_;
        return true;
    }

    bool array(std::uint32_t& index) {
        index = add(Kind::Array);
        const std::size_t base = items_.size();
        const bool read = container(']', [&] {
            std::uint32_t item;
            if (!value(item)) return false;
            items_.push_back(item);
            return true;
        });
        if (!read) return false;
        auto& n = d_.nodes_[index];
        n.a = std::uint32_t(d_.items_.size());
        n.b = std::uint32_t(items_.size() - base);
        d_.items_.insert(d_.items_.end(), items_.begin() + std::ptrdiff_t(base), items_.end());
        items_.resize(base);
        return true;
    }

    bool object(std::uint32_t& index) {
        index = add(Kind::Object);
        const std::size_t base = members_.size();
        const bool read = container('}', [&] {
            if (p_ == end_ || *p_ != '"') return false;
            TreeDocument::Member m;
            if (!string(m.key, m.keyLength)) return false;
            blanks();
            if (p_ == end_ || *p_++ != ':') return false;
            blanks();
            if (!value(m.node)) return false;
            members_.push_back(m);
            return true;
        });
        if (!read) return false;
        // In the order of their names, a name given twice with its last value.
        const char* text = d_.text_.constData();
        auto less = [text](const TreeDocument::Member& x, const TreeDocument::Member& y) {
            const int c = std::memcmp(text + x.key, text + y.key, std::min(x.keyLength, y.keyLength));
            return c != 0 ? c < 0 : x.keyLength < y.keyLength;
        };
        const auto first = members_.begin() + std::ptrdiff_t(base);
        std::stable_sort(first, members_.end(), less);
        auto& n = d_.nodes_[index];
        n.a = std::uint32_t(d_.members_.size());
        for (auto it = first; it != members_.end(); ++it)
            if (it + 1 == members_.end() || less(*it, *(it + 1))) d_.members_.push_back(*it);
        n.b = std::uint32_t(d_.members_.size() - n.a);
        members_.resize(base);
        return true;
    }

    TreeDocument& d_;
    char* p_;
    char* const end_;
    int depth_ = 0;
    // The items and members of the containers being read, until each ends.
    std::vector<std::uint32_t> items_;
    std::vector<TreeDocument::Member> members_;
};

bool TreeDocument::parse(QByteArray json) {
    text_ = std::move(json);
    text_.detach();
    nodes_.clear();
    items_.clear();
    members_.clear();
    nodes_.reserve(std::size_t(text_.size() / 16));
    if (text_.size() < std::numeric_limits<std::uint32_t>::max() && TreeReader(*this).document())
        return true;
    text_.clear();
    nodes_.clear();
    items_.clear();
    members_.clear();
    return false;
}

// ------------------------------------------------------------------ values

bool TreeValue::isObject() const {
    return n_ && d_->nodes_[n_ - 1].kind == TreeDocument::Kind::Object;
}
bool TreeValue::isArray() const {
    return n_ && d_->nodes_[n_ - 1].kind == TreeDocument::Kind::Array;
}
bool TreeValue::isString() const {
    return n_ && d_->nodes_[n_ - 1].kind == TreeDocument::Kind::String;
}

TreeObject TreeValue::toObject() const {
    if (!isObject()) return {};
    const auto& n = d_->nodes_[n_ - 1];
    return {d_, n_, n.a, n.b};
}

TreeArray TreeValue::toArray() const {
    if (!isArray()) return {};
    const auto& n = d_->nodes_[n_ - 1];
    return {d_, n_, n.a, n.b};
}

QString TreeValue::toString(const QString& fallback) const {
    if (!isString()) return fallback;
    const auto& n = d_->nodes_[n_ - 1];
    if (n.b == 0) return QStringLiteral("");  // an empty text, not a missing one
    return QString::fromUtf8(d_->text_.constData() + n.a, n.b);
}

int TreeValue::toInt(int fallback) const {
    if (!n_ || d_->nodes_[n_ - 1].kind != TreeDocument::Kind::Number) return fallback;
    const double v = d_->nodes_[n_ - 1].number;
    if (!(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) ||
        std::trunc(v) != v)
        return fallback;
    return int(v);
}

bool TreeValue::toBool(bool fallback) const {
    if (!n_) return fallback;
    switch (d_->nodes_[n_ - 1].kind) {
        case TreeDocument::Kind::True:
            return true;
        case TreeDocument::Kind::False:
            return false;
        default:
            return fallback;
    }
}

TreeValue TreeObject::value(QLatin1StringView key) const {
    if (!d_) return {};
    const char* text = d_->text_.constData();
    for (std::uint32_t i = first_; i < first_ + count_; ++i) {
        const TreeDocument::Member& m = d_->members_[i];
        if (m.keyLength == std::uint32_t(key.size()) &&
            std::memcmp(text + m.key, key.data(), m.keyLength) == 0)
            return {d_, m.node + 1};
    }
    return {};
}

QLatin1StringView TreeObject::const_iterator::key() const {
    const TreeDocument::Member& m = d_->members_[i_];
    return QLatin1StringView(d_->text_.constData() + m.key, qsizetype(m.keyLength));
}

TreeValue TreeObject::const_iterator::value() const {
    return {d_, d_->members_[i_].node + 1};
}

TreeValue TreeArray::at(qsizetype i) const {
    if (!d_ || i < 0 || i >= qsizetype(count_)) return {};
    return {d_, d_->items_[first_ + std::uint32_t(i)] + 1};
}

TreeValue TreeArray::const_iterator::operator*() const {
    return {d_, d_->items_[i_] + 1};
}
