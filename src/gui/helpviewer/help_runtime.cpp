#include "gui/helpviewer/help_runtime.h"

#include "core/helpfile/chm_file.h"
#include "core/helpfile/help_sitemap.h"
#include "gui/helpviewer/help_viewer.h"
#include "platform/helprecords.h"

#include <QMessageBox>

namespace helpviewer {

using helpfile::parseHelpPath;
using helpfile::popupTextFromFile;
using namespace platform;

namespace {

QWidget* windowOf(std::intptr_t handle) {
    if (handle == 0)
        return nullptr;
    QWidget* widget = QWidget::find(static_cast<WId>(handle));
    return widget ? widget->window() : nullptr;
}

template <typename Record> std::optional<Record> recordIn(const QVariant& data) {
    if (data.metaType() != QMetaType::fromType<Record>())
        return std::nullopt;
    return data.value<Record>();
}

QString textIn(const QVariant& data) {
    return data.metaType() == QMetaType::fromType<QString>() ? data.toString() : QString();
}

} // namespace

ViewerRuntime::~ViewerRuntime() {
    // Owned windows went with their owner already.
    for (const auto& viewer : viewers_)
        delete viewer.data();
    for (const auto& popup : popups_)
        delete popup.second.data();
}

HelpViewer* ViewerRuntime::viewer(std::intptr_t handle) const {
    for (const auto& viewer : viewers_) {
        if (viewer && viewer->handle() == handle)
            return viewer;
    }
    return nullptr;
}

HelpPopup* ViewerRuntime::popup(std::intptr_t handle) const {
    for (const auto& [id, popup] : popups_) {
        if (id == handle && popup)
            return popup;
    }
    return nullptr;
}

std::pair<HelpViewer*, bool> ViewerRuntime::viewerFor(const HelpPath& path, std::intptr_t owner) {
    std::erase_if(viewers_, [](const QPointer<HelpViewer>& viewer) { return viewer.isNull(); });
    for (const auto& viewer : viewers_) {
        if (sameFile(path.file, viewer->file()) &&
            viewer->windowName().compare(path.window, Qt::CaseInsensitive) == 0)
            return {viewer, false};
    }
    auto file = openFile(path.file);
    if (!file)
        return {nullptr, false};
    auto* viewer = new HelpViewer(std::move(file), path.window, nextHandle_++, windowOf(owner));
    viewers_.emplace_back(viewer);
    return {viewer, true};
}

std::intptr_t ViewerRuntime::htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                                      const QVariant& data) {
    if (command == hhcmd::CloseAll) {
        closeAll();
        return 0;
    }
    if (command == hhcmd::DisplayTextPopup)
        return showPopup(owner, path, data);

    HelpPath parts = parseHelpPath(path);
    const auto link = recordIn<HH_AKLINK>(data);
    if (link && link->pszWindow && parts.window.isEmpty())
        parts.window = *link->pszWindow;

    const auto [viewer, opened] = viewerFor(parts, owner);
    if (!viewer)
        return 0;
    // A window opened for a command that then shows nothing does not stay.
    auto failed = [&]() -> std::intptr_t {
        if (opened)
            delete viewer;
        return 0;
    };
    auto shown = [&]() -> std::intptr_t {
        if (viewer->currentTopic().isEmpty())
            viewer->showDefaultTopic();
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
        return viewer->handle();
    };

    switch (command) {
    case hhcmd::DisplayTopic: {
        const QString topic = textIn(data).isEmpty() ? parts.topic : textIn(data);
        if (topic.isEmpty() ? !viewer->showDefaultTopic() : !viewer->showTopic(topic))
            return failed();
        return shown();
    }
    case hhcmd::DisplayToc:
        viewer->showContents();
        return shown();
    case hhcmd::DisplayIndex:
        viewer->showIndex();
        return shown();
    case hhcmd::DisplaySearch: {
        const auto query = recordIn<HH_FTS_QUERY>(data);
        viewer->showSearch(query ? query->pszSearchQuery.value_or(QString()) : QString(),
                           query && query->fExecute);
        return shown();
    }
    case hhcmd::HelpContext: {
        bool ok = false;
        const qlonglong number = data.toLongLong(&ok);
        if (!ok || number < 0 || number > 0xFFFFFFFFll ||
            !viewer->showContext(static_cast<quint32>(number)))
            return failed();
        return shown();
    }
    case hhcmd::KeywordLookup:
    case hhcmd::ALinkLookup: {
        if (!link)
            return failed();
        if (viewer->showKeywords(link->pszKeywords.value_or(QString())))
            return shown();
        if (link->pszUrl && viewer->showTopic(*link->pszUrl))
            return shown();
        if (link->fIndexOnFail) {
            viewer->showIndex();
            return shown();
        }
        if (link->pszMsgText) {
            QWidget* parent = opened ? windowOf(owner) : static_cast<QWidget*>(viewer);
            QMessageBox box(QMessageBox::Information, link->pszMsgTitle.value_or(QString()),
                            *link->pszMsgText, QMessageBox::Ok, parent);
            box.setObjectName(QStringLiteral("helpLookupMessage"));
            box.exec();
        }
        return failed();
    }
    default:
        return failed();
    }
}

std::intptr_t ViewerRuntime::showPopup(std::intptr_t owner, const QString& path,
                                       const QVariant& data) {
    const auto record = recordIn<HH_POPUP>(data);
    if (!record)
        return 0;
    QString text = record->pszText.value_or(QString());
    if (text.isEmpty() && !path.isEmpty()) {
        const HelpPath parts = parseHelpPath(path);
        if (const auto file = openFile(parts.file)) {
            if (const auto popups = file->object(parts.topic))
                text = popupTextFromFile(*popups, record->idString);
        }
    }
    if (text.isEmpty())
        return 0;
    auto* popup = new HelpPopup(
        text, record->pszFont.value_or(QString()), record->clrForeground, record->clrBackground,
        QMargins(record->marginLeft, record->marginTop, record->marginRight, record->marginBottom),
        windowOf(owner));
    popup->popUpAt(record->pt);
    std::erase_if(popups_, [](const auto& entry) { return entry.second.isNull(); });
    popups_.emplace_back(nextHandle_, popup);
    return nextHandle_++;
}

void ViewerRuntime::closeAll() {
    for (const auto& viewer : viewers_) {
        if (viewer)
            viewer->close();
    }
    for (const auto& popup : popups_) {
        if (popup.second)
            popup.second->close();
    }
}

} // namespace helpviewer
