#pragma once
// The about box: title, version, what the program is built on, our web and mail links, and a small
// cube that turns by itself. Modal, without buttons; closed with the window's close control.

#include <QDialog>
#include <memory>

class QLabel;
class QWidget;
class TCube3D;

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* Owner);
    ~TFormAbout() override;

    QLabel* LabelTitle = nullptr;
    QLabel* LabelTitleShadow = nullptr;
    QLabel* LabelVersion = nullptr;
    QLabel* StaticText7 = nullptr;
    QLabel* StaticText9 = nullptr;
    QLabel* StaticTextURL = nullptr;
    QLabel* StaticText3 = nullptr;
    QLabel* StaticTextSupportMail = nullptr;
    QWidget* PanelPreview = nullptr;
    std::unique_ptr<TCube3D> Preview;

    void StaticTextURLClick();
    void StaticTextSupportMailClick();

protected:
    void showEvent(QShowEvent* Event) override;
};
