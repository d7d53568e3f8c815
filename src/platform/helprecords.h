#pragma once
// The command records HtmlHelpA takes, as values that travel in HelpRuntime::htmlHelp's QVariant.
// Field names are those of the published HTML Help API. A string pointer that may be null is a
// std::optional: nullopt is "no string at all", which the runtime treats differently from "".

#include <QMetaType>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// HtmlHelpA command numbers.
namespace hhcmd {
constexpr unsigned DisplayTopic = 0, DisplayToc = 1, DisplayIndex = 2, DisplaySearch = 3,
                   KeywordLookup = 13, DisplayTextPopup = 14, HelpContext = 15, CloseAll = 18,
                   ALinkLookup = 19;
}

// HH_FTS_QUERY: opens the search page, optionally running a query.
struct HH_FTS_QUERY {
    std::int32_t cbStruct = 32;
    bool fUniCodeStrings = false;
    std::optional<QString> pszSearchQuery;
    std::int32_t iProximity = 0;
    bool fStemmedSearch = false;
    bool fTitleOnly = false;
    bool fExecute = false;
    std::optional<QString> pszWindow;

    bool operator==(const HH_FTS_QUERY&) const = default;
};

// HH_AKLINK: keyword (K) and associative-link (A) lookups. pszKeywords holds one or more
// keywords separated by ';'.
struct HH_AKLINK {
    std::int32_t cbStruct = 32;
    bool fReserved = false;
    std::optional<QString> pszKeywords;
    std::optional<QString> pszUrl;      // topic shown when nothing is found
    std::optional<QString> pszMsgText;  // else this message, when given
    std::optional<QString> pszMsgTitle; // with this title
    std::optional<QString> pszWindow;
    bool fIndexOnFail = false;

    bool operator==(const HH_AKLINK&) const = default;
};

// HH_POPUP: a text popup. Colours are COLORREF values (0x00BBGGRR), -1 for the default; a
// margin of -1 is the default margin. pszFont is "face, points, charset, BOLD ITALIC UNDERLINE".
struct HH_POPUP {
    std::int32_t cbStruct = 52;
    std::intptr_t hinst = 0;
    std::uint32_t idString = 0; // text number in the popup file named by the path
    std::optional<QString> pszText;
    QPoint pt; // top-centre of the popup, screen coordinates
    std::int32_t clrForeground = -1;
    std::int32_t clrBackground = -1;
    std::int32_t marginLeft = -1, marginTop = -1, marginRight = -1, marginBottom = -1;
    std::optional<QString> pszFont;

    bool operator==(const HH_POPUP&) const = default;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::HH_FTS_QUERY)
Q_DECLARE_METATYPE(platform::HH_AKLINK)
Q_DECLARE_METATYPE(platform::HH_POPUP)
