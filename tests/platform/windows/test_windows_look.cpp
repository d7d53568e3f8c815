// The Windows build's look through the Windows API: manifest, versions, style, windows' frames.

#include "fakes/fake_platform.h"
#include "gui/about/frmAbout.h"
#include "gui/forms/forms.h"
#include "gui/main/frmMain.h"
#include "gui/manual/frmaltload.h"
#include "gui/manual/frmfindpop.h"
#include "gui/options/frmoptions.h"
#include "gui/text_fit.h"

#include <QtTest>
#include <QtWidgets>

#include <windows.h>

using namespace Qt::StringLiterals;

static QString besideTest(const QString& name) {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/' + name);
}

// The resource `id` of type `type` in `file`, as text.
static QString resourceText(const QString& file, int id, LPCWSTR type) {
    HMODULE module = LoadLibraryExW(file.toStdWString().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return {};
    QString text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type))
        if (HGLOBAL data = LoadResource(module, found))
            text = QString::fromUtf8(static_cast<const char*>(LockResource(data)),
                                     SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// "a.b.c.d|ProductName|ProductVersion|FileDescription|CompanyName|LegalCopyright".
static QString version(const QString& file) {
    const std::wstring path = file.toStdWString();
    std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, DWORD(data.size()), data.data()))
        return u"no version"_s;
    void* value = nullptr;
    UINT size = 0;
    QStringList parts;
    if (VerQueryValueW(data.data(), L"\\", &value, &size) && size >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        parts << QVersionNumber({HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                 HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)})
                     .toString();
    }
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &size) || size < 4)
        return parts.join(u'|') + u"|no translation"_s;
    const auto* language = static_cast<const WORD*>(value); // and code page
    const QString table = u"\\StringFileInfo\\%1\\"_s.arg((uint(language[0]) << 16) | language[1],
                                                          8, 16, QLatin1Char('0'));
    for (const char* name :
         {"ProductName", "ProductVersion", "FileDescription", "CompanyName", "LegalCopyright"}) {
        const std::wstring key = (table + QLatin1String(name)).toStdWString();
        parts << (VerQueryValueW(data.data(), key.c_str(), &value, &size)
                      ? QString::fromWCharArray(static_cast<const wchar_t*>(value))
                      : u"-"_s);
    }
    return parts.join(u'|');
}

// A shown window's frame: "fixed" or "resizable", a modal "dialog frame", its caption buttons, and
// an "icon" when it has one to show in its caption.
static QString frame(QWidget* window) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return u"not shown"_s;
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE), ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    QStringList traits{style & WS_THICKFRAME ? u"resizable"_s : u"fixed"_s};
    const std::pair<bool, const char*> flags[] = {{(ex & WS_EX_DLGMODALFRAME) != 0, "dialog frame"},
                                                  {(style & WS_CAPTION) == WS_CAPTION, "caption"},
                                                  {(style & WS_SYSMENU) != 0, "close"},
                                                  {(style & WS_MINIMIZEBOX) != 0, "minimize"},
                                                  {(style & WS_MAXIMIZEBOX) != 0, "maximize"},
                                                  {SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0) ||
                                                       SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0),
                                                   "icon"}};
    for (const auto& [on, trait] : flags)
        if (on)
            traits << QLatin1String(trait);
    window->hide();
    return traits.join(u", "_s);
}

class WindowsLookTest : public QObject {
    Q_OBJECT
    fakes::FakePlatform os; // the windows' system

private slots:
    void initTestCase() { forms::setUpLook(); }
    void manifestAndVersions() {
        const QString manifest = resourceText(besideTest(u"velkor.exe"_s), 1, RT_MANIFEST);
        for (const char* pattern :
             {R"(name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0")",
              R"(<supportedOS Id="\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}"/>)", // 10 and 11
              R"(<requestedExecutionLevel level="asInvoker")", R"(>PerMonitorV2</dpiAwareness>)"})
            QVERIFY2(QRegularExpression(QLatin1String(pattern)).match(manifest).hasMatch(),
                     pattern);

        const QString description = u"Direct-address multiplayer launcher for Populous: The "
                                    "Beginning"_s,
                      who = u"Velkor developers|Copyright (C) 2026 Velkor developers"_s;
        QCOMPARE(version(besideTest(u"velkor.exe"_s)),
                 u"1.0.6.0|Velkor|1.0.6|"_s + description + u'|' + who);
        QCOMPARE(version(besideTest(u"velkor-1.0.6-setup.exe"_s)),
                 u"1.0.6.0|Velkor|1.0.6|Velkor 1.0.6 setup|"_s + who);
    }

    void nativeStyleFixedFrames() {
        QCOMPARE(QApplication::style()->name(), u"windowsvista"_s);
        frmMain main;
        forms::SetFormIcon(&main, u"ICON1"_s, true);
        QCOMPARE(frame(&main), u"fixed, caption, close, minimize, icon"_s);
        frmoptions options(main.settingsdir, &main);
        QCOMPARE(frame(&options), u"fixed, caption, close, icon"_s);
        frmaltload altload(true, QString(), &main);
        QCOMPARE(frame(&altload), u"fixed, caption, close, icon"_s);
        // Fixed dialog borders: Windows draws their captions without an icon.
        frmfindpop picker(&altload);
        QCOMPARE(frame(&picker), u"fixed, dialog frame, caption, close"_s);
        frmAbout about(&main);
        QCOMPARE(frame(&about), u"fixed, dialog frame, caption, close"_s);
    }

    // Both lines of the main window's etched divider on the screen; look.sh runs this and the
    // next at each DPI.
    void dividerOnScreen() {
        frmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const qreal ratio = main.devicePixelRatioF();
        const int top = main.centralWidget()->y() + 384; // Line1, with Line2 on the row below
        const auto row = [&](int logical) {
            const QImage shot = main.screen()->grabWindow(main.winId()).toImage();
            return shot.pixelColor(shot.width() / 2, qRound(logical * ratio)).name();
        };
        QTRY_COMPARE(row(top), forms::systemColor(forms::ButtonShadow).name());
        QCOMPARE(row(top + 1), forms::systemColor(forms::WindowBackground).name());
    }

    // Every caption whole, in the font Qt resolves here.
    void captionsFit() {
        qInfo() << QFontInfo(QApplication::font()).family() << "at"
                << QGuiApplication::primaryScreen()->logicalDotsPerInch() << "dpi x"
                << QGuiApplication::primaryScreen()->devicePixelRatio();
        QCOMPARE(textfit::reportMisfits(), 0);
    }
};

QTEST_MAIN(WindowsLookTest)
#include "test_windows_look.moc"
