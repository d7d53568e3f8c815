#include "platform/windows/windows_help.h"

#include "platform/helprecords.h"
#include "platform/windows/wide.h"
#include "platform/windows/windows_files.h"

#include <QFile>
#include <list>

#include <windows.h>

namespace platform::windowsbackend {

namespace {

// HtmlHelpA's records with their ANSI strings (htmlhelp.h spells them in the build's TCHAR).
struct NativeFtsQuery {
    int cbStruct;
    BOOL fUniCodeStrings;
    LPCSTR pszSearchQuery;
    LONG iProximity;
    BOOL fStemmedSearch;
    BOOL fTitleOnly;
    BOOL fExecute;
    LPCSTR pszWindow;
};
struct NativeAkLink {
    int cbStruct;
    BOOL fReserved;
    LPCSTR pszKeywords;
    LPCSTR pszUrl;
    LPCSTR pszMsgText;
    LPCSTR pszMsgTitle;
    LPCSTR pszWindow;
    BOOL fIndexOnFail;
};
struct NativePopup {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    LPCSTR pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    LPCSTR pszFont;
};

using HtmlHelpA = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// Loaded by the first help call, as the runtime is only needed then; kept for the process.
HtmlHelpA htmlHelpFunction() {
    static const HtmlHelpA function = []() -> HtmlHelpA {
        const HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        return library ? reinterpret_cast<HtmlHelpA>(
                             reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")))
                       : nullptr;
    }();
    return function;
}

// The ANSI copies of a call's strings, alive until the call returns.
class Strings {
public:
    LPCSTR operator()(const std::optional<QString>& text) {
        return text ? (*this)(*text) : nullptr;
    }
    LPCSTR operator()(const QString& text) {
        return kept_.emplace_back(text.toLocal8Bit()).constData();
    }

private:
    std::list<QByteArray> kept_;
};

} // namespace

WindowsHelpRuntime::WindowsHelpRuntime(WindowsFiles& files) : files_(files) {}

std::intptr_t WindowsHelpRuntime::htmlHelp(std::intptr_t owner, const QString& path,
                                           unsigned command, const QVariant& data) {
    const HtmlHelpA call = htmlHelpFunction();
    if (!call)
        return 0;
    Strings strings;
    // The records' sizes are those of the 32-bit layout; the runtime gets its own.
    NativeFtsQuery query{};
    NativeAkLink link{};
    NativePopup popup{};
    DWORD_PTR argument = 0;
    if (data.metaType() == QMetaType::fromType<HH_FTS_QUERY>()) {
        const auto q = data.value<HH_FTS_QUERY>();
        query = {sizeof query, q.fUniCodeStrings,   strings(q.pszSearchQuery),
                 q.iProximity, q.fStemmedSearch,    q.fTitleOnly,
                 q.fExecute,   strings(q.pszWindow)};
        argument = reinterpret_cast<DWORD_PTR>(&query);
    } else if (data.metaType() == QMetaType::fromType<HH_AKLINK>()) {
        const auto l = data.value<HH_AKLINK>();
        link = {sizeof link,          l.fReserved,           strings(l.pszKeywords),
                strings(l.pszUrl),    strings(l.pszMsgText), strings(l.pszMsgTitle),
                strings(l.pszWindow), l.fIndexOnFail};
        argument = reinterpret_cast<DWORD_PTR>(&link);
    } else if (data.metaType() == QMetaType::fromType<HH_POPUP>()) {
        const auto p = data.value<HH_POPUP>();
        popup = {sizeof popup,
                 reinterpret_cast<HINSTANCE>(p.hinst),
                 p.idString,
                 strings(p.pszText),
                 POINT{p.pt.x(), p.pt.y()},
                 COLORREF(p.clrForeground),
                 COLORREF(p.clrBackground),
                 RECT{p.marginLeft, p.marginTop, p.marginRight, p.marginBottom},
                 strings(p.pszFont)};
        argument = reinterpret_cast<DWORD_PTR>(&popup);
    } else if (data.metaType() == QMetaType::fromType<QString>()) {
        argument = reinterpret_cast<DWORD_PTR>(strings(data.toString()));
    } else if (data.canConvert<qint32>()) {
        // A number: a map id, or 0 for the commands that take none. Negative ones keep their
        // 32 bits, as the 32-bit program passed them.
        argument = DWORD_PTR(DWORD(data.value<qint32>()));
    } else {
        return 0;
    }
    const HWND window = call(reinterpret_cast<HWND>(owner), path.isNull() ? nullptr : strings(path),
                             command, argument);
    return reinterpret_cast<std::intptr_t>(window);
}

bool WindowsHelpRuntime::canOpen(const QString& helpFile) {
    const auto file = files_.openRegularFile(helpFile, QIODevice::ReadOnly);
    return file && file->read(4) == QByteArrayLiteral("ITSF");
}

std::optional<QByteArray> WindowsVersionInfo::fixedFileInfo(const QString& windowsPath) {
    const std::wstring file = wide(windowsPath);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    QByteArray block(qsizetype(size), '\0');
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::nullopt;
    void* record = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.constData(), L"\\", &record, &length) || !record ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return QByteArray(static_cast<const char*>(record), sizeof(VS_FIXEDFILEINFO));
}

} // namespace platform::windowsbackend
