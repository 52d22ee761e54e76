#pragma once

#include <QDialog>
#include <QString>

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class Picture;
class Shape;

// The About window: the school's emblem, the author's credit line and the software maker's logo
// card, each a link to its web site, with a notice below them and an OK button.
//
// OK, Enter or Space on OK, and the close box close it; Escape does not. No button is a default
// button, so Enter closes the window only while OK has the focus.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void setUpWindow();
    void makeLinks();
    void makeCloseButton();
    void makeNoticeBox();
    void Form_Load();

    void cmdClose_Click();
    void Image1_Click();
    void Label1_Click();
    void logo2_Click();

    QPlainTextEdit *Comment = nullptr;
    QPushButton *cmdClose = nullptr;
    Picture *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    Shape *logo1 = nullptr;
    Picture *logo2 = nullptr;

    QString notice_; // the notice as the window keeps it, line break included
};
