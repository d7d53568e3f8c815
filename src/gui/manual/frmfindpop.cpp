#include "gui/manual/frmfindpop.h"

#include "gui/forms/forms.h"
#include "gui/manual/frmaltload.h"
#include "platform/platform.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

using forms::captioned;
using forms::place;
using forms::twips;

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DriveRole = Qt::UserRole;

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}

} // namespace

frmfindpop::frmfindpop(frmaltload* owner)
    : FixedDialog(owner, "frmfindpop", QStringLiteral("Locate Populous Directory"), 3270, 3525,
                  Centre::OnScreen, forms::Border::FixedDialog),
      owner_(owner) {
    createControls();
    Form_Load();
    // Only the user's later choices run the handler, not the start position.
    connect(Drive, &QComboBox::currentIndexChanged, this, &frmfindpop::Drive_Change);
}

frmfindpop::~frmfindpop() = default;

void frmfindpop::createControls() {
    Dir = place<QTreeWidget>(this, "Dir", twips(120, 960, 3015, 1890));
    Dir->setHeaderHidden(true);
    Dir->setColumnCount(1);
    Dir->setRootIsDecorated(false);
    Dir->setItemsExpandable(false);
    Dir->setExpandsOnDoubleClick(false);
    Dir->setIndentation(forms::px(180));
    // Folders open by double click only, so no branch arrows suggest folding.
    Dir->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    Dir->installEventFilter(this);
    Drive = place<QComboBox>(this, "Drive", twips(120, 360, 3015, 315));
    CancelButton = captioned<QPushButton>(this, "CancelButton", QStringLiteral("Cancel"),
                                          twips(1920, 3120, 1215, 375));
    OKButton =
        captioned<QPushButton>(this, "OKButton", QStringLiteral("OK"), twips(600, 3120, 1215, 375));
    Line2 = new forms::LineControl(this, QStringLiteral("Line2"), 0, 2990, 3240, 2990,
                                   forms::ButtonShadow);
    Line1 = new forms::LineControl(this, QStringLiteral("Line1"), 0, 3000, 3240, 3000,
                                   forms::WindowBackground);
    Label2 = captioned<QLabel>(this, "Label2", QStringLiteral("Select the Path:"),
                               twips(120, 720, 1335, 255));
    Label1 = captioned<QLabel>(this, "Label1", QStringLiteral("Select a Drive:"),
                               twips(120, 120, 1215, 255));

    forms::setTabOrder({OKButton, CancelButton, Drive, Dir});
    OKButton->setFocus();

    connect(Dir, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openItem(item); });
    connect(OKButton, &QPushButton::clicked, this, &frmfindpop::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmfindpop::CancelButton_Click);
}

void frmfindpop::Form_Load() {
    platform::FileSystem& files = *platform::current().files;
    const QString currentDrive = files.currentDirectory().left(2).toLower();
    for (const QString& drive : files.drives()) {
        const QString name = files.driveLabel(drive);
        Drive->addItem(
            name.isEmpty() ? drive : drive + QStringLiteral(" [") + name + QLatin1Char(']'), drive);
        if (drive.compare(currentDrive, Qt::CaseInsensitive) == 0)
            Drive->setCurrentIndex(Drive->count() - 1);
    }
    if (Drive->currentIndex() < 0)
        return;
    // A folder that cannot be listed (removed since it became current, or not readable) is
    // still where the list opens: shown without subfolders, and OK hands it over as it is,
    // which is normally the folder the owner already names.
    const QString folder = files.currentDirectoryOf(Drive->currentData(DriveRole).toString());
    if (!setDirPath(folder) && folder.size() >= 3)
        showFolder(folder, {});
}

bool frmfindpop::setDirPath(const QString& path) {
    if (path.size() < 3)
        return false;
    const auto subfolders = platform::current().files->subfolders(path);
    if (!subfolders)
        return false;
    showFolder(path, *subfolders);
    return true;
}

void frmfindpop::showFolder(const QString& path, const QStringList& subfolders) {
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    Dir->clear();
    // The chain from the root down to the open folder, each one level deeper.
    QString folder = path.left(3); // "C:\"
    auto* item = new QTreeWidgetItem(Dir, {folder});
    item->setData(0, PathRole, folder);
    item->setIcon(0, open);
    for (const QString& part : path.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        folder = joinPath(folder, part);
        item = new QTreeWidgetItem(item, {part});
        item->setData(0, PathRole, folder);
        item->setIcon(0, open);
    }
    QTreeWidgetItem* opened = item;
    for (const QString& name : subfolders) {
        auto* child = new QTreeWidgetItem(opened, {name});
        child->setData(0, PathRole, joinPath(path, name));
        child->setIcon(0, closed);
    }
    Dir->expandAll();
    Dir->setCurrentItem(opened);
    Dir->scrollToItem(opened);
    path_ = path;
}

void frmfindpop::openItem(QTreeWidgetItem* item) {
    if (item)
        setDirPath(item->data(0, PathRole).toString()); // an unreadable folder stays closed
}

void frmfindpop::Drive_Change() {
    const QString drive = Drive->currentData(DriveRole).toString();
    if (setDirPath(platform::current().files->currentDirectoryOf(drive)))
        return;
    platform::current().ui->messageBox(
        QStringLiteral("An error occured while trying to read from drive ") + Drive->currentText() +
            QStringLiteral(".  Please make sure that if it is a removable device that a form of "
                           "media has been inserted into the drive."),
        QStringLiteral("Error- Reading Drive"), platform::mbstyle::Exclamation);
}

void frmfindpop::OKButton_Click() {
    // Open at no folder (no drive to start on), the owner's folder stays as it is.
    if (owner_ && !path_.isEmpty())
        owner_->popdir->setText(path_);
    accept();
}

void frmfindpop::CancelButton_Click() {
    reject();
}

bool frmfindpop::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Dir && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openItem(Dir->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
