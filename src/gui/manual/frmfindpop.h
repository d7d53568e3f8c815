#pragma once
// The game folder picker: a drive list and a folder list; OK hands the folder the list is
// open at to the alternative load dialog.

#include "gui/forms/forms.h"

class frmaltload;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frmfindpop : public forms::FixedDialog {
    Q_OBJECT
public:
    // On OK the chosen folder goes into `owner`'s folder field.
    explicit frmfindpop(frmaltload* owner);
    ~frmfindpop() override;

    // The folder list's current folder: the folder it is open at, not merely highlighted;
    // empty when it is open at none.
    QString dirPath() const { return path_; }
    // Opens the folder list at `path` (Windows form); false, and the list unchanged, when the
    // folder cannot be read.
    bool setDirPath(const QString& path);

    // Controls, named as the form names them. Dir shows, as a folder list box does, the
    // folders from the drive's root down to the open folder, then that folder's subfolders;
    // a double click (or Enter) opens a folder.
    QTreeWidget* Dir;
    QComboBox* Drive;
    QPushButton* CancelButton;
    QPushButton* OKButton;
    QWidget* Line2;
    QWidget* Line1;
    QLabel* Label2;
    QLabel* Label1;

    // Handlers.
    void Form_Load();
    void Drive_Change();
    void OKButton_Click();
    void CancelButton_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void openItem(QTreeWidgetItem* item);
    // Shows `path` as the open folder, with these subfolders below it.
    void showFolder(const QString& path, const QStringList& subfolders);

    frmaltload* owner_;
    QString path_;
};
