#include "gui/manual/frmaltload.h"

#include "core/game/game.h"
#include "gui/forms/forms.h"
#include "gui/manual/frmfindpop.h"
#include "platform/platform.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using forms::captioned;
using forms::place;
using forms::twips;

const QString frmaltload::DefaultFolder = QStringLiteral("C:\\Program Files\\Bullfrog\\Populous");

namespace {

QLineEdit* readOnlyField(QWidget* container, const char* name, const QString& text,
                         QRect geometry) {
    auto* field = place<QLineEdit>(container, name, geometry);
    field->setText(text);
    field->setReadOnly(true);
    return field;
}

} // namespace

frmaltload::frmaltload(bool popTBSelected, const QString& launchargs, QWidget* owner)
    : FixedDialog(owner, "frmaltload", QStringLiteral("Alternative Load"), 6030, 2940,
                  Centre::OnScreen, forms::Border::FixedSingle),
      popTBSelected_(popTBSelected), launchargs_(launchargs) {
    createControls();
    Form_Load();
}

frmaltload::~frmaltload() = default;

void frmaltload::createControls() {
    quote = readOnlyField(this, "quote", QStringLiteral("\""), twips(600, 4080, 375, 285));
    cmdline = place<QPlainTextEdit>(this, "cmdline", twips(2040, 3720, 3735, 1215));
    cmdline->setReadOnly(true);
    cmdline->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    gameexe = readOnlyField(this, "gameexe", QString(), twips(120, 3720, 1815, 285));

    Frame1 = place<QGroupBox>(this, "Frame1", twips(120, 1680, 5775, 615));
    Frame1->setTitle(QStringLiteral("Select Hardware or Software"));
    bg01 = place<QWidget>(Frame1, "bg01", twips(120, 240, 5535, 255));
    selD3D = place<QRadioButton>(bg01, "selD3D", twips(2760, 0, 2655, 255));
    selD3D->setText(QStringLiteral("Direct 3D Rendering"));
    selsoftware = place<QRadioButton>(bg01, "selsoftware", twips(0, 0, 2655, 255));
    selsoftware->setText(QStringLiteral("Software (No Direct 3D Support)"));
    // Shown as Direct 3D, which is what opening prepares and OK starts.
    selD3D->setChecked(true);

    reset = captioned<QPushButton>(this, "reset", QStringLiteral("&Reset"),
                                   twips(5040, 1320, 855, 285));
    browse = captioned<QPushButton>(this, "browse", QStringLiteral("&Browse"),
                                    twips(4060, 1320, 975, 285));
    popdir = readOnlyField(this, "popdir", DefaultFolder, twips(120, 1320, 3855, 285));
    CancelButton = captioned<QPushButton>(this, "CancelButton", QStringLiteral("Cancel"),
                                          twips(4680, 2520, 1215, 375));
    OKButton = captioned<QPushButton>(this, "OKButton", QStringLiteral("OK"),
                                      twips(3360, 2520, 1215, 375));
    Label4 = captioned<QLabel>(this, "Label4", QStringLiteral("Commandline"),
                               twips(2280, 3480, 1095, 255));
    Label3 =
        captioned<QLabel>(this, "Label3", QStringLiteral("Game EXE"), twips(120, 3480, 1575, 255));
    Line2 = new forms::LineControl(this, QStringLiteral("Line2"), 0, 2400, 6000, 2400,
                                   forms::WindowBackground);
    Line1 = new forms::LineControl(this, QStringLiteral("Line1"), 6000, 2385, 0, 2385,
                                   forms::ButtonShadow);
    Label2 =
        captioned<QLabel>(this, "Label2", QStringLiteral("Please Specify your Populous Directory:"),
                          twips(120, 1080, 3255, 255));
    Label1 = captioned<QLabel>(
        this, "Label1",
        QStringLiteral("If an error occured while trying to launch Populous normally, "
                       "then use this dialog to try and launch it manually.  Most "
                       "reasons for having to use this method involved invalid "
                       "registry entries and / or a corrupt Populous install.  "
                       "Reinstalling Populous might ressolve this issue."),
        twips(120, 120, 5775, 855));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    forms::setTabOrder({popdir, browse, reset, selsoftware, selD3D, OKButton, CancelButton});
    // The fields below the client area are never seen: they take no Tab stop.
    for (QWidget* hidden : std::initializer_list<QWidget*>{gameexe, cmdline, quote})
        hidden->setFocusPolicy(Qt::NoFocus);
    popdir->setFocus();

    connect(selD3D, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            selD3D_Click();
    });
    connect(selsoftware, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            selsoftware_Click();
    });
    connect(reset, &QPushButton::clicked, this, &frmaltload::reset_Click);
    connect(browse, &QPushButton::clicked, this, &frmaltload::browse_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmaltload::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmaltload::CancelButton_Click);
}

bool frmaltload::enterFolder(const QString& folder) {
    platform::FileSystem& files = *platform::current().files;
    // The folder becomes its drive's current one first, so that a missing folder leaves both
    // the drive and the folder as they were; then its drive becomes the current drive.
    if (!files.changeDirectory(folder))
        return false;
    if (folder.size() >= 2 && folder[1] == QLatin1Char(':'))
        files.changeDrive(folder.left(1));
    return true;
}

void frmaltload::Form_Load() {
    enterFolder(popdir->text()); // a missing folder is not reported here
    gameexe->setText(popTBSelected_ ? game::PopTBDirect3DExe : game::UWDirect3DExe);
}

void frmaltload::browse_Click() {
    frmfindpop picker(this);
    picker.exec();
}

void frmaltload::reset_Click() {
    popdir->setText(DefaultFolder);
}

void frmaltload::selD3D_Click() {
    gameexe->setText(popTBSelected_ ? game::PopTBDirect3DExe : game::UWDirect3DExe);
}

void frmaltload::selsoftware_Click() {
    gameexe->setText(popTBSelected_ ? game::PopTBSoftwareExe : game::UWSoftwareExe);
}

void frmaltload::OKButton_Click() {
    platform::Services& os = platform::current();
    const QString folder = popdir->text();
    cmdline->setPlainText(quote->text() + folder + gameexe->text() + quote->text() +
                          QLatin1Char(' ') + launchargs_);

    // One failure path for everything: the folder missing, the file missing, the start refused.
    const bool started = enterFolder(folder) && os.processes->start(folder + gameexe->text(),
                                                                    cmdline->toPlainText(), folder);
    if (!started) {
        os.ui->messageBox(
            QStringLiteral("Velkor was unable to start Populous because the specified file, ") +
                popdir->text() + gameexe->text() +
                QStringLiteral(".  Please make sure the right file is being loaded."),
            QStringLiteral("Error- Loading Populous"), platform::mbstyle::Exclamation);
        return;
    }
    accept();
}

void frmaltload::CancelButton_Click() {
    reject();
}
