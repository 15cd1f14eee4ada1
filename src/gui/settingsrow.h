#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace glintag {

struct BadgeSetup;
class PortMap;
class SetupModel;
struct PortScan;

// The row under the slots: the language, brightness, model and port boxes
// with their labels. Its widgets sit on the window's panel beside the
// upload's controls, so the row is no widget of its own.
class SettingsRow : public QObject {
    Q_OBJECT

public:
    // The top of the row's boxes in twips, which the upload's controls
    // beside them share.
    static constexpr int kTop = 9000;

    // Every change of the language, model or brightness is written into
    // `model` before it is signalled.
    SettingsRow(SetupModel &model, QWidget *panel);

    int language() const;
    // Model, brightness and language, each raising its change; a text that
    // is none of the items stands as typed.
    void takeSetup(const BadgeSetup &setup);

    QString port() const;
    // The item of that name, or the name as typed when there is none.
    void choosePort(const QString &port);
    // A probe's result: its ports, each with its device as tooltip, and its
    // choice, then the ports remembered below. Not the user's edit, so it
    // raises nothing.
    void fillPortList(const PortScan &scan, const PortMap &map);
    // A port the user has sent to or kept (a typed device path too) stays in
    // the list for the rest of the run, so Badge > Ports can pair it with
    // another. Nothing for a name the list already has.
    void rememberPort(const QString &port);

    // Captions, faces, places and tooltips of an interface language
    // (applylanguage.cpp).
    void applyLanguage(int uiLanguage, const QStringList &families);
    QList<QWidget *> tabChain() const;

    QLabel *languageLabel() const { return m_languageLabel; }
    QLabel *brightnessLabel() const { return m_brightnessLabel; }
    QLabel *modelLabel() const { return m_modelLabel; }
    QLabel *portLabel() const { return m_portLabel; }
    QComboBox *languageBox() const { return m_languageBox; }
    QComboBox *brightnessBox() const { return m_brightnessBox; }
    QComboBox *modelBox() const { return m_modelBox; }
    QComboBox *portBox() const { return m_portBox; }

Q_SIGNALS:
    // The brightness, the model or the port: anything Send would use.
    void edited();
    // The port list is about to drop down: the time to look for new ports.
    void portListOpening();

private:
    // The box is narrow: its tooltip names the whole port and its device.
    void updatePortTip();

    SetupModel &m_model;
    QStringList m_usedPorts;
    QString m_portTip;
    QLabel *m_languageLabel = nullptr, *m_brightnessLabel = nullptr, *m_modelLabel = nullptr, *m_portLabel = nullptr;
    QComboBox *m_languageBox = nullptr, *m_brightnessBox = nullptr, *m_modelBox = nullptr, *m_portBox = nullptr;
};

} // namespace glintag
