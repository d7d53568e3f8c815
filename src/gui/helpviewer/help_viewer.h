#pragma once
// The help viewer: a window over one compiled help file with its contents, index and search
// beside the topic, and the text popup. The Linux backend's HTML Help runtime drives them.

#include <QLabel>
#include <QTextBrowser>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace helpfile {
class ChmFile;
class HelpSearchIndex;
struct IndexEntry;
struct IndexTarget;
struct SearchHit;
} // namespace helpfile

namespace helpviewer {

using helpfile::ChmFile;
using helpfile::HelpSearchIndex;
using helpfile::IndexEntry;
using helpfile::IndexTarget;
using helpfile::SearchHit;

// Shows pages of the help file through the private scheme "chm:///path"; nothing else loads.
class ChmBrowser : public QTextBrowser {
    Q_OBJECT
public:
    ChmBrowser(std::shared_ptr<ChmFile> file, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::shared_ptr<ChmFile> file_;
};

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // A top-level window; `owner` (may be null) keeps it above the owner's window.
    HelpViewer(std::shared_ptr<ChmFile> file, const QString& windowName, std::intptr_t handle,
               QWidget* owner);
    ~HelpViewer() override;

    std::intptr_t handle() const { return handle_; }
    const ChmFile& file() const { return *file_; }
    const QString& windowName() const { return windowName_; }

    void showContents();
    void showIndex();
    // Opens the search page; with `execute` and a query, runs it.
    void showSearch(const QString& query, bool execute);
    // A topic by its path in the help file ("x.htm", "/x.htm#part"); false when it is missing.
    bool showTopic(const QString& path);
    // The file's default topic, else its first contents entry.
    bool showDefaultTopic();
    // The topic mapped to a context number; false when the number is not mapped.
    bool showContext(quint32 contextNumber);
    // Looks up ";"-separated keywords in the index. Every topic found is listed under "Topics
    // found" on the index page and the first one is shown; false when none is found.
    bool showKeywords(const QString& keywords);
    // Runs a search: the hits are listed on the search page. The word index is built on the
    // first search.
    std::vector<SearchHit> search(const QString& query);

    // The shown topic's path in the help file ("/welcome.htm"), empty before any.
    QString currentTopic() const;

    static QUrl urlFor(const QString& path);

    QTabWidget* navigation;
    QTreeWidget* contentsTree;
    QLineEdit* indexFilter;
    QListWidget* indexList;
    QListWidget* topicsFound;
    QLineEdit* searchText;
    QPushButton* searchButton;
    QListWidget* searchResults;
    ChmBrowser* browser;

private:
    void createControls();
    void loadContents();
    void loadIndex();
    void listTargets(const std::vector<IndexTarget>& targets);
    void openLink(const QUrl& url);
    void selectInContents(const QString& path);

    std::shared_ptr<ChmFile> file_;
    QString windowName_;
    std::intptr_t handle_;
    std::vector<IndexEntry> index_;
    std::unique_ptr<HelpSearchIndex> searchIndex_;
};

// A text popup: closes on the next click or key press.
class HelpPopup : public QLabel {
    Q_OBJECT
public:
    // `font`: "face, points, charset, BOLD ITALIC UNDERLINE" (parts may be missing); colours
    // are COLORREF values, -1 for the default; `margins` in pixels, -1 for the default.
    HelpPopup(const QString& text, const QString& font, std::int32_t foreground,
              std::int32_t background, const QMargins& margins, QWidget* owner);
    // Shows the popup with its top centre at `point`, kept on the screen.
    void popUpAt(const QPoint& point);

    static QFont fontFrom(const QString& description, const QFont& base);

private:
    static constexpr int MaxTextWidth = 320;
};

} // namespace helpviewer
