// Wine's registry text into a key tree: the whole file, or only the keys along a few paths.
#include "core/wine/hive_scan.h"

namespace wine {

using namespace scan;

namespace {

class TreeBuilder : public ScanSink {
public:
    // With `only`, the tree holds just the keys along those paths, and their values.
    explicit TreeBuilder(Hive& hive, const std::vector<QStringList>* only = nullptr)
        : hive_(hive), only_(only) {}

    void section(const Line&, qsizetype, const QStringList* path) override {
        seenSection_ = true;
        current_ = -1;
        if (!path)
            return;
        // Sections come sorted, so most of a path is the previous one's: its keys are known.
        qsizetype same = 0;
        while (same < path->size() && same < lastPath_.size() && (*path)[same] == lastPath_[same])
            ++same;
        lastKeys_.resize(std::size_t(same));
        int key = same > 0 ? lastKeys_.back() : Hive::root;
        for (qsizetype i = same; i < path->size(); ++i) {
            key = hive_.addKey(key, (*path)[i]);
            lastKeys_.push_back(key);
        }
        lastPath_ = *path;
        // Below the wanted keys only the keys count, not their values or links.
        const auto onTheWay = [&](const QStringList& wanted) {
            return path->size() <= wanted.size() && samePath(*path, wanted.first(path->size()));
        };
        if (!only_ || std::any_of(only_->begin(), only_->end(), onTheWay))
            current_ = key;
    }
    void option(const Line&, QByteArrayView option) override {
        if (current_ >= 0) {
            if (option.startsWith("#link"))
                links_.push_back(current_);
        } else if (!seenSection_ && option.startsWith("#arch=")) {
            QByteArrayView arch = option.sliced(6);
            while (!arch.isEmpty() && isSpace(arch.back()))
                arch.chop(1);
            hive_.win64 = arch == QByteArrayView("win64");
        }
    }
    void value(qsizetype, qsizetype, HiveValue* value) override {
        if (current_ >= 0 && value)
            hive_.setValue(current_, std::move(*value));
    }
    void comment(QByteArrayView text) override {
        static constexpr QByteArrayView tag = ";; All keys relative to ";
        if (seenSection_ || !text.startsWith(tag))
            return;
        QByteArrayView rest = text.sliced(tag.size());
        while (!rest.isEmpty() && isSpace(rest.back()))
            rest.chop(1);
        QString name;
        qsizetype pos = 0;
        const QByteArray quoted = rest.toByteArray() + '\x01';
        if (parseString(quoted, pos, '\x01', name))
            hive_.relativeTo = name;
    }

    // Sections on the way to a wanted key, and those below one: they make it exist even where
    // it has no section of its own.
    bool wantsSection(QStringView name) const override {
        return !only_ || std::any_of(only_->begin(), only_->end(), [&](const QStringList& wanted) {
            qsizetype i = 0;
            for (const QStringView part : name.tokenize(u'\\', Qt::SkipEmptyParts)) {
                if (i == wanted.size())
                    return true;
                if (part.compare(wanted[i++], Qt::CaseInsensitive) != 0)
                    return false;
            }
            return true;
        });
    }
    bool wantsValues() const override { return !only_ || current_ >= 0; }
    bool done() const override { return only_ && only_->empty() && seenSection_; }

    std::vector<int> links_;

private:
    Hive& hive_;
    const std::vector<QStringList>* only_;
    int current_ = -1;
    bool seenSection_ = false;
    QStringList lastPath_;
    std::vector<int> lastKeys_;
};

} // namespace

Hive parseHive(QByteArrayView text) {
    Hive hive;
    TreeBuilder builder(hive);
    if (!scanHive(text, builder))
        return Hive();
    for (const int key : builder.links_)
        hive.markLink(key);
    return hive;
}

std::optional<Hive> parseHivePart(QByteArrayView text, const std::vector<QStringList>& paths) {
    Hive hive;
    TreeBuilder builder(hive, &paths);
    if (!scanHive(text, builder))
        return Hive();
    if (!builder.links_.empty()) // all of them lie on the way
        return std::nullopt;
    return hive;
}

} // namespace wine
