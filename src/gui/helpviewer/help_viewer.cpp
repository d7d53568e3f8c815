#include "gui/helpviewer/help_viewer.h"

#include "core/helpfile/chm_file.h"
#include "core/helpfile/help_search.h"
#include "core/helpfile/help_sitemap.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace helpviewer {

using namespace helpfile;

namespace {

constexpr int PathRole = Qt::UserRole;

// Splits "x.htm#part" into the path and the anchor.
std::pair<QString, QString> splitAnchor(const QString& path) {
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return {path, QString()};
    return {path.left(hash), path.mid(hash + 1)};
}

QString withSlash(const QString& path) {
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

// COLORREF 0x00BBGGRR.
QColor colorRef(std::int32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void addContents(const std::vector<ContentsEntry>& entries, QTreeWidgetItem* parent,
                 QTreeWidget* tree) {
    for (const ContentsEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.name);
        item->setData(0, PathRole, entry.local);
        addContents(entry.children, item, tree);
    }
}

} // namespace

// --- Browser ---

ChmBrowser::ChmBrowser(std::shared_ptr<ChmFile> file, QWidget* parent)
    : QTextBrowser(parent), file_(std::move(file)) {
    setOpenLinks(false);
}

QVariant ChmBrowser::loadResource(int, const QUrl& name) {
    // An empty answer, not a null one: Qt would otherwise read file: URLs itself.
    if (name.scheme() != QLatin1String("chm"))
        return QByteArray("");
    return file_->object(name.path()).value_or(QByteArray(""));
}

// --- Viewer ---

HelpViewer::HelpViewer(std::shared_ptr<ChmFile> file, const QString& windowName,
                       std::intptr_t handle, QWidget* owner)
    : QWidget(owner, Qt::Window), file_(std::move(file)), windowName_(windowName), handle_(handle) {
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = file_->system().title;
    setWindowTitle(title.isEmpty() ? QStringLiteral("HTML Help") : title);
    resize(780, 560);
    createControls();
    loadContents();
    loadIndex();
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* buttons = new QHBoxLayout;
    auto tool = [&](const char* name, const QString& text) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        buttons->addWidget(button);
        return button;
    };
    QToolButton* back = tool("back", QStringLiteral("Back"));
    QToolButton* forward = tool("forward", QStringLiteral("Forward"));
    QToolButton* home = tool("home", QStringLiteral("Home"));
    buttons->addStretch();
    layout->addLayout(buttons);

    auto* splitter = new QSplitter(this);
    layout->addWidget(splitter, 1);

    navigation = new QTabWidget(splitter);
    navigation->setObjectName(QStringLiteral("navigation"));

    contentsTree = new QTreeWidget;
    contentsTree->setObjectName(QStringLiteral("contentsTree"));
    contentsTree->setHeaderHidden(true);
    navigation->addTab(contentsTree, QStringLiteral("Contents"));

    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexFilter = new QLineEdit(indexPage);
    indexFilter->setObjectName(QStringLiteral("indexFilter"));
    indexFilter->setPlaceholderText(QStringLiteral("Type in the keyword to find"));
    indexList = new QListWidget(indexPage);
    indexList->setObjectName(QStringLiteral("indexList"));
    topicsFound = new QListWidget(indexPage);
    topicsFound->setObjectName(QStringLiteral("topicsFound"));
    topicsFound->setMaximumHeight(110);
    indexLayout->addWidget(indexFilter);
    indexLayout->addWidget(indexList, 1);
    indexLayout->addWidget(new QLabel(QStringLiteral("Topics found:"), indexPage));
    indexLayout->addWidget(topicsFound);
    navigation->addTab(indexPage, QStringLiteral("Index"));

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchText = new QLineEdit(searchPage);
    searchText->setObjectName(QStringLiteral("searchText"));
    searchText->setPlaceholderText(QStringLiteral("Type in the word(s) to search for"));
    searchButton = new QPushButton(QStringLiteral("&List Topics"), searchPage);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchResults = new QListWidget(searchPage);
    searchResults->setObjectName(QStringLiteral("searchResults"));
    searchLayout->addWidget(searchText);
    searchLayout->addWidget(searchButton);
    searchLayout->addWidget(searchResults, 1);
    navigation->addTab(searchPage, QStringLiteral("Search"));

    browser = new ChmBrowser(file_, splitter);
    browser->setObjectName(QStringLiteral("topic"));
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 550});

    connect(back, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, &HelpViewer::showDefaultTopic);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpViewer::openLink);

    connect(contentsTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(0, PathRole).toString();
        if (!path.isEmpty())
            showTopic(path);
    });
    connect(contentsTree, &QTreeWidget::itemActivated, contentsTree, &QTreeWidget::itemClicked);

    connect(indexFilter, &QLineEdit::textEdited, this, [this](const QString& text) {
        for (int row = 0; row < indexList->count(); ++row) {
            if (indexList->item(row)->text().startsWith(text, Qt::CaseInsensitive)) {
                indexList->setCurrentRow(row);
                indexList->scrollToItem(indexList->item(row), QAbstractItemView::PositionAtTop);
                return;
            }
        }
    });
    connect(indexFilter, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* item = indexList->currentItem())
            emit indexList->itemActivated(item);
    });
    connect(indexList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(index_.size()))
            listTargets(index_[static_cast<std::size_t>(row)].targets);
    });
    connect(indexList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = indexList->row(item);
        if (row < 0 || row >= static_cast<int>(index_.size()))
            return;
        const IndexEntry& entry = index_[static_cast<std::size_t>(row)];
        if (entry.targets.empty() && !entry.seeAlso.isEmpty()) {
            showKeywords(entry.seeAlso);
            return;
        }
        listTargets(entry.targets);
        if (!entry.targets.empty())
            showTopic(entry.targets.front().local);
    });
    connect(topicsFound, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showTopic(item->data(PathRole).toString()); });
    connect(topicsFound, &QListWidget::itemActivated, topicsFound, &QListWidget::itemClicked);

    connect(searchButton, &QPushButton::clicked, this, [this] { search(searchText->text()); });
    connect(searchText, &QLineEdit::returnPressed, searchButton, &QPushButton::click);
    connect(searchResults, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showTopic(item->data(PathRole).toString()); });
    connect(searchResults, &QListWidget::itemActivated, searchResults, &QListWidget::itemClicked);
}

void HelpViewer::loadContents() {
    const QString name = file_->system().contentsFile;
    if (name.isEmpty())
        return;
    if (const auto sitemap = file_->object(name))
        addContents(contentsFromSitemap(parseSitemap(*sitemap)), nullptr, contentsTree);
    contentsTree->expandAll();
}

void HelpViewer::loadIndex() {
    const QString name = file_->system().indexFile;
    if (name.isEmpty())
        return;
    if (const auto sitemap = file_->object(name))
        index_ = indexFromSitemap(parseSitemap(*sitemap));
    for (const IndexEntry& entry : index_)
        indexList->addItem(entry.keyword);
}

void HelpViewer::listTargets(const std::vector<IndexTarget>& targets) {
    topicsFound->clear();
    for (const IndexTarget& target : targets) {
        auto* item = new QListWidgetItem(target.title, topicsFound);
        item->setData(PathRole, target.local);
    }
}

void HelpViewer::showContents() {
    navigation->setCurrentIndex(0);
}

void HelpViewer::showIndex() {
    navigation->setCurrentIndex(1);
    indexFilter->setFocus();
}

void HelpViewer::showSearch(const QString& query, bool execute) {
    navigation->setCurrentIndex(2);
    searchText->setFocus();
    if (!query.isEmpty()) {
        searchText->setText(query);
        if (execute)
            search(query);
    }
}

bool HelpViewer::showTopic(const QString& path) {
    const auto [page, anchor] = splitAnchor(path);
    if (page.isEmpty() || !file_->contains(page))
        return false;
    QUrl url = urlFor(page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    browser->setSource(url);
    selectInContents(withSlash(page));
    return true;
}

bool HelpViewer::showDefaultTopic() {
    if (showTopic(file_->system().defaultTopic))
        return true;
    for (int i = 0; i < contentsTree->topLevelItemCount(); ++i) {
        if (showTopic(contentsTree->topLevelItem(i)->data(0, PathRole).toString()))
            return true;
    }
    return false;
}

bool HelpViewer::showContext(quint32 contextNumber) {
    const auto topic = file_->topicForContext(contextNumber);
    return topic && showTopic(*topic);
}

bool HelpViewer::showKeywords(const QString& keywords) {
    std::vector<IndexTarget> found;
    int firstRow = -1;
    for (const QString& part : keywords.split(QLatin1Char(';'))) {
        const QString keyword = part.trimmed();
        if (keyword.isEmpty())
            continue;
        for (std::size_t row = 0; row < index_.size(); ++row) {
            if (index_[row].keyword.compare(keyword, Qt::CaseInsensitive) != 0)
                continue;
            if (firstRow < 0)
                firstRow = static_cast<int>(row);
            for (const IndexTarget& target : index_[row].targets) {
                const bool seen = std::any_of(found.begin(), found.end(), [&](const auto& t) {
                    return t.local.compare(target.local, Qt::CaseInsensitive) == 0;
                });
                if (!seen)
                    found.push_back(target);
            }
        }
    }
    if (found.empty())
        return false;
    navigation->setCurrentIndex(1);
    {
        const QSignalBlocker blocker(indexList);
        indexList->setCurrentRow(firstRow);
    }
    listTargets(found);
    topicsFound->setCurrentRow(0);
    return showTopic(found.front().local);
}

std::vector<SearchHit> HelpViewer::search(const QString& query) {
    if (!searchIndex_) {
        searchIndex_ = std::make_unique<HelpSearchIndex>();
        for (const QString& path : file_->files()) {
            if (!path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) &&
                !path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
                continue;
            if (const auto page = file_->object(path))
                searchIndex_->addTopic(path, *page);
        }
    }
    std::vector<SearchHit> hits = searchIndex_->find(query);
    searchResults->clear();
    for (const SearchHit& hit : hits) {
        auto* item = new QListWidgetItem(hit.title, searchResults);
        item->setData(PathRole, hit.path);
    }
    return hits;
}

QString HelpViewer::currentTopic() const {
    return browser->source().path();
}

QUrl HelpViewer::urlFor(const QString& path) {
    QUrl url(QStringLiteral("chm:///"));
    url.setPath(withSlash(path), QUrl::DecodedMode);
    return url;
}

void HelpViewer::openLink(const QUrl& link) {
    const QUrl url = link.isRelative() ? browser->source().resolved(link) : link;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("chm")) {
        const QString path =
            url.path() + (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
        if (url.path() == browser->source().path() && url.hasFragment())
            browser->scrollToAnchor(url.fragment());
        else
            showTopic(path);
        return;
    }
    const QString text = link.toString();
    // Links into a help file by its name ("ms-its:file.chm::/topic.htm") open the topic here.
    const qsizetype separator = text.indexOf(QLatin1String("::"));
    if ((scheme == QLatin1String("ms-its") || scheme == QLatin1String("mk")) && separator >= 0) {
        showTopic(text.mid(separator + 2));
        return;
    }
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}

void HelpViewer::selectInContents(const QString& path) {
    for (QTreeWidgetItemIterator it(contentsTree); *it; ++it) {
        const QString local = splitAnchor((*it)->data(0, PathRole).toString()).first;
        if (!local.isEmpty() && withSlash(local).compare(path, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker blocker(contentsTree);
            contentsTree->setCurrentItem(*it);
            return;
        }
    }
}

// --- Popup ---

HelpPopup::HelpPopup(const QString& text, const QString& font, std::int32_t foreground,
                     std::int32_t background, const QMargins& margins, QWidget* owner)
    : QLabel(owner, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("helpPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setText(text);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFont(fontFrom(font, QLabel::font()));
    // Text in the colour of its background cannot be read: such a pair gives the defaults.
    const bool readable = foreground == -1 || foreground != background;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     readable && foreground != -1 ? colorRef(foreground) : QColor(Qt::black));
    colours.setColor(QPalette::Window, readable && background != -1 ? colorRef(background)
                                                                    : QColor(0xFF, 0xFF, 0xE1));
    setPalette(colours);
    setAutoFillBackground(true);
    const int fallback = 6;
    setContentsMargins(margins.left() < 0 ? fallback : margins.left(),
                       margins.top() < 0 ? fallback : margins.top(),
                       margins.right() < 0 ? fallback : margins.right(),
                       margins.bottom() < 0 ? fallback : margins.bottom());
}

void HelpPopup::popUpAt(const QPoint& point) {
    // As wide as the text needs up to a readable line length, then as high as that takes.
    const QMargins margins = contentsMargins();
    const int extra = margins.left() + margins.right() + 2 * frameWidth();
    const int textWidth =
        fontMetrics()
            .boundingRect(QRect(0, 0, MaxTextWidth, 100000), Qt::TextWordWrap, text())
            .width();
    const int popupWidth = textWidth + extra + 1;
    resize(popupWidth, heightForWidth(popupWidth));
    QPoint topLeft(point.x() - width() / 2, point.y());
    if (QScreen* screen = QGuiApplication::screenAt(point)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
        topLeft.setY(
            std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(topLeft);
    show();
}

QFont HelpPopup::fontFrom(const QString& description, const QFont& base) {
    QFont font = base;
    const QStringList parts = description.split(QLatin1Char(','));
    if (!parts.value(0).trimmed().isEmpty())
        font.setFamily(parts.value(0).trimmed());
    bool ok = false;
    const double points = parts.value(1).trimmed().toDouble(&ok);
    if (ok && points > 0 && points <= 200)
        font.setPointSizeF(points);
    const QStringList styles = parts.value(3).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& style : styles) {
        if (style.compare(QLatin1String("bold"), Qt::CaseInsensitive) == 0)
            font.setBold(true);
        else if (style.compare(QLatin1String("italic"), Qt::CaseInsensitive) == 0)
            font.setItalic(true);
        else if (style.compare(QLatin1String("underline"), Qt::CaseInsensitive) == 0)
            font.setUnderline(true);
    }
    return font;
}

} // namespace helpviewer
