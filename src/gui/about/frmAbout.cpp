#include "gui/about/frmAbout.h"

#include "buildconfig.h"
#include "gui/forms/forms.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

using forms::twips;

namespace {

constexpr std::uint32_t White = 0x00FFFFFF;

QLabel* blackLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                   bool wrap) {
    auto* label = forms::captioned<QLabel>(container, name, caption, geometry);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

forms::LineControl* line(QWidget* container, int index, int x1, int y1, int x2, int y2,
                         std::uint32_t color, int width) {
    auto* control =
        new forms::LineControl(container, QStringLiteral("Line1"), x1, y1, x2, y2, color, width);
    control->setProperty("Index", index);
    return control;
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    : FixedDialog(owner, "frmAbout", QStringLiteral("About"), 5730, 2235, Centre::OnOwner,
                  forms::Border::FixedDialog) {
    escapeCloses = true; // OK is also the cancel button
    createControls();
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::createControls() {
    cmdOK = forms::captioned<QPushButton>(this, "cmdOK", QStringLiteral("OK"),
                                          twips(4245, 1665, 1260, 345));
    cmdOK->setDefault(true); // Enter

    logo = forms::place<QLabel>(this, "logo", twips(120, 240, 600, 600));
    logo->setScaledContents(true);
    logo->setPixmap(QPixmap(QStringLiteral(":/about.gif"), "GIF"));

    Line1[1] = line(this, 1, 90, 1485, 5654, 1485, forms::ButtonShadow, 1);
    lblDescription = blackLabel(this, "lblDescription",
                                QStringLiteral("Allows users to set up multiplayer games of "
                                               "Populous using a direct- IP Address connection."),
                                twips(1080, 960, 3885, 450), true);
    lblTitle =
        blackLabel(this, "lblTitle", QStringLiteral("Velkor"), twips(1050, 240, 3885, 240), false);
    Line1[0] = line(this, 0, 105, 1500, 5654, 1500, White, 2);
    lblVersion = blackLabel(this, "lblVersion", QStringLiteral("Version"),
                            twips(1050, 600, 3885, 225), false);
    lblDisclaimer = blackLabel(this, "lblDisclaimer",
                               QStringLiteral("For help with Velkor, e-mail the author at "
                                              "velkor@drovane.example"),
                               twips(255, 1665, 3870, 465), true);

    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::Form_Load() {
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(VELKOR_VERSION_MAJOR)
                            .arg(VELKOR_VERSION_MINOR)
                            .arg(VELKOR_VERSION_PATCH));
}

void frmAbout::cmdOK_Click() {
    accept();
}
