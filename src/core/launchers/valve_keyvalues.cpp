#include "core/launchers/valve_keyvalues.h"

namespace launchers {

namespace {

// Steam's files nest four levels at most; a hostile one must not exhaust the stack.
constexpr int MaxDepth = 16;

bool endsWord(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{' || c == '}' || c == '"';
}

class Reader {
public:
    explicit Reader(const QByteArray& text) : text_(text) {}

    std::optional<std::vector<KeyValue>> pairs(int depth) {
        std::vector<KeyValue> read;
        for (;;) {
            skipBlanks();
            if (at_ >= text_.size())
                return depth == 0 ? std::optional(std::move(read)) : std::nullopt;
            if (text_[at_] == '}') {
                ++at_;
                return depth > 0 ? std::optional(std::move(read)) : std::nullopt;
            }
            KeyValue pair;
            const auto key = token();
            if (!key)
                return std::nullopt;
            pair.key = *key;
            skipBlanks();
            if (at_ < text_.size() && text_[at_] == '{') {
                ++at_;
                if (depth + 1 >= MaxDepth)
                    return std::nullopt;
                auto children = pairs(depth + 1);
                if (!children)
                    return std::nullopt;
                pair.children = std::move(*children);
                pair.isBlock = true;
            } else {
                const auto value = token();
                if (!value)
                    return std::nullopt;
                pair.value = *value;
            }
            read.push_back(std::move(pair));
        }
    }

private:
    void skipBlanks() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                ++at_;
            else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/')
                while (at_ < text_.size() && text_[at_] != '\n')
                    ++at_;
            else
                break;
        }
    }

    // A quoted string with Steam's escapes (\\ \" \n \t), or a bare word.
    std::optional<QString> token() {
        if (at_ >= text_.size() || text_[at_] == '{' || text_[at_] == '}')
            return std::nullopt;
        QByteArray bytes;
        if (text_[at_] != '"') {
            while (at_ < text_.size() && !endsWord(text_[at_]))
                bytes += text_[at_++];
            return QString::fromUtf8(bytes);
        }
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return QString::fromUtf8(bytes);
            }
            if (c == '\\' && at_ + 1 < text_.size()) {
                c = text_[++at_];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            bytes += c;
        }
        return std::nullopt; // unclosed
    }

    const QByteArray& text_;
    qsizetype at_ = 0;
};

} // namespace

const KeyValue* KeyValue::child(const QString& name) const {
    for (const KeyValue& pair : children)
        if (pair.key.compare(name, Qt::CaseInsensitive) == 0)
            return &pair;
    return nullptr;
}

std::optional<std::vector<KeyValue>> parseKeyValues(const QByteArray& text) {
    return Reader(text).pairs(0);
}

} // namespace launchers
