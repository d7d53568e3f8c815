#pragma once
// Helpers that let the forms be laid out as they were designed: positions in twips, system
// colour references, line controls and the window icon.

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

class QLabel;
class QLineEdit;

namespace forms {

constexpr int TwipsPerPixel = 15;

constexpr int px(int twips) {
    return twips / TwipsPerPixel;
}
// To the nearest pixel: for lines, so that two lines drawn a few twips apart (an etched
// divider) land on neighbouring rows instead of on one.
constexpr int nearestPx(int twips) {
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}
inline QRect twips(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize twipsSize(int width, int height) {
    return QSize(px(width), px(height));
}

// A command button: Enter presses it while it has the focus, as Space does. Enter elsewhere
// reaches the window, which presses its default button if it has one. It is never an
// auto-default button: a Qt dialog shown without a default makes the first of those its
// default, and Enter in a text box would then press it.
class CommandButton : public QPushButton {
public:
    explicit CommandButton(QWidget* container = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A check box whose caption wraps within its box when the box is taller than one line; a click
// anywhere on it toggles it.
class CheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override;
    bool hitButton(const QPoint& pos) const override;
};

// An option button. Tab enters its group (the options of its container) at the selected option,
// or at the first while none is. As on Windows, all four arrow keys select the next option of the
// group or the one before, in Tab order, round from the last to the first, wherever the options
// lie; disabled and hidden ones are passed over.
class OptionButton : public QRadioButton {
public:
    explicit OptionButton(QWidget* container = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void markTabStop();
    OptionButton* neighbour(bool forward);
};

// A frame. Disabled, it greys its caption and the mouse no longer reaches what it holds, but the
// controls inside keep their own state and look, as on Windows (Qt would grey them all). A control
// inside that takes the Tab key is disabled with it where it must be out of reach.
class Frame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;
    void setFrameEnabled(bool enabled);
    bool isFrameEnabled() const { return frameEnabled_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool frameEnabled_ = true;
};

// What a form's control of kind `Control` is made as: buttons, check boxes and options that behave
// as the forms' own did.
template <typename Control> struct FormKind { using type = Control; };
template <> struct FormKind<QPushButton> { using type = CommandButton; };
template <> struct FormKind<QCheckBox> { using type = CheckBox; };
template <> struct FormKind<QRadioButton> { using type = OptionButton; };
template <> struct FormKind<QGroupBox> { using type = Frame; };

// A control of a form: its name (also its Qt object name) and its place in its container.
template <typename Control> Control* place(QWidget* container, const char* name, QRect geometry) {
    Control* control = new typename FormKind<Control>::type(container);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// The same with a caption: a frame's title, or a button's or label's text.
template <typename Control>
Control* captioned(QWidget* container, const char* name, const QString& caption, QRect geometry) {
    auto* control = place<Control>(container, name, geometry);
    if constexpr (std::is_base_of_v<QGroupBox, Control>) {
        control->setTitle(caption);
        control->setFocusPolicy(Qt::NoFocus);
    } else {
        control->setText(caption);
    }
    return control;
}

// System colour references of the form 0x800000NN.
constexpr std::uint32_t WindowBackground = 0x80000005;
constexpr std::uint32_t ButtonFace = 0x8000000F;
constexpr std::uint32_t ButtonShadow = 0x80000010;

// The colour a system colour reference stands for in the current palette; a plain RGB value
// (0x00BBGGRR) otherwise.
QColor systemColor(std::uint32_t reference);
// Sets the background of a text box or panel.
void setBackColor(QWidget* widget, std::uint32_t reference);

// A line control: draws one line between two points given in twips of its container. It takes
// no mouse input and no focus.
class LineControl : public QWidget {
public:
    LineControl(QWidget* container, const QString& name, int x1, int y1, int x2, int y2,
                std::uint32_t color, int widthPixels = 1);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPoint from_, to_;
    std::uint32_t color_;
    int width_;
};

// The two borders of a window that cannot be resized: a single fixed border, or a fixed dialog
// border, which on Windows has no icon in its caption.
enum class Border { FixedSingle, FixedDialog };
// Window flags of a fixed border: no maximise button, a minimise button as asked.
Qt::WindowFlags fixedWindowFlags(Border border, bool minimizeButton);
// Moves a window to the centre of its owner, or of the screen when it has none.
void centre(QWidget* window, const QWidget* owner = nullptr);
// Tab goes from each control to the next in the list.
void setTabOrder(std::initializer_list<QWidget*> order);

// A fixed dialog: centred when it first shows, on its owner or on the screen. Without a cancel
// button Escape does nothing, as the forms were designed.
class FixedDialog : public QDialog {
public:
    enum class Centre { OnOwner, OnScreen };
    FixedDialog(QWidget* owner, const char* name, const QString& caption, int widthTwips,
                int heightTwips, Centre centre, Border border);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool escapeCloses = false;

private:
    Centre centre_;
    bool centred_ = false;
};

// Sets a window's large and small icons from the program's icon resource `name`; with
// `alsoOwner`, the top-level owner of the window gets them too.
void SetFormIcon(QWidget* window, const QString& name, bool alsoOwner);

// A PNG picture (from the resources), decoded without asking every installed image plugin
// whether it reads PNG (src/platform/pictures, chosen by the build). Null when unreadable.
QImage pngImage(const QString& path);

// Shows the resource picture `path` in `label`, drawn for the device-pixel ratio of the label's
// screen; a GIF plays as an animation. It is chosen again when the label moves to another screen.
void showPicture(QLabel* label, const QString& path);

// The forms' font, "MS Sans Serif" (8 points on every form, 24 for the main window's title), as
// this system draws it best.
QFont dialogFont(int points);

// The program's look, once the application exists: on Windows the system's visual style, elsewhere
// the classic Windows look; the forms' 8-point dialog font.
void setUpLook();

} // namespace forms
