#include "gui/settingsrow.h"

#include "badge/badgemodel.h"
#include "badge/badgesetup.h"
#include "badge/limits.h"
#include "gui/setupmodel.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"
#include "link/portmap.h"
#include "link/portnames.h"

#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QSignalBlocker>

namespace glintag {

SettingsRow::SettingsRow(SetupModel &model, QWidget *panel) : QObject(panel), m_model(model)
{
    // Labels first so the combo boxes, moved per language, stay on top of them.
    const int lt = px(kTop + 45), ct = px(kTop), lh = px(255);
    // Each label is as wide as its longest caption needs; the combo box
    // after it is drawn on top, so a long caption never pushes a box away.
    m_languageLabel = makeLabel(panel, QStringLiteral("Language :"), px(240), lt, 72, lh);
    m_brightnessLabel = makeLabel(panel, QStringLiteral("Bright :"), px(3360), lt, 48, lh);
    m_modelLabel = makeLabel(panel, QStringLiteral("Type:"), px(5040), lt, 64, lh);
    m_portLabel = makeLabel(panel, QStringLiteral("Port :"), px(6840), lt, 76, lh);

    m_languageBox = makeCombo(panel,
                              {QStringLiteral("SimpChinese"), QStringLiteral("TradChinese"), QStringLiteral("Japanese"),
                               QStringLiteral("Korean"), QStringLiteral("English")},
                              px(1320), ct, px(1740));
    m_brightnessBox = makeCombo(panel, numberItems(kBrightnessMax), px(4080), ct, px(615));
    m_brightnessBox->setCurrentIndex(3);
    acceptOnlyItems(m_brightnessBox);
    QStringList models;
    for (const BadgeModel &model : kBadgeModels)
        models << QLatin1String(model.name);
    m_modelBox = makeCombo(panel, models, px(5640), ct, px(855));
    QStringList ports;
    for (int n = 1; n <= 32; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    auto *probingPortBox = new RefreshingComboBox(panel);
    probingPortBox->setEditable(true);
    probingPortBox->setInsertPolicy(QComboBox::NoInsert);
    // Port names are exact: a typed "com1" stays as typed (and is refused at
    // Send) instead of being completed or matched to the listed "COM1".
    probingPortBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    probingPortBox->addItems(ports);
    probingPortBox->setGeometry(px(7440), ct, px(1095), px(kComboHeight));
    probingPortBox->beforePopup = [this] { Q_EMIT portListOpening(); };
    m_portBox = probingPortBox;

    // Alt and the label's marked letter go to its box.
    m_languageLabel->setBuddy(m_languageBox);
    m_brightnessLabel->setBuddy(m_brightnessBox);
    m_modelLabel->setBuddy(m_modelBox);
    m_portLabel->setBuddy(m_portBox);

    // Into the model first, so whoever hears the row's signals reads it as
    // it now is; and once for what the boxes hold as built.
    const auto write
        = [this] { m_model.setSettings(language(), m_modelBox->currentText(), m_brightnessBox->currentText()); };
    connect(m_languageBox, &QComboBox::currentIndexChanged, this, write);
    for (QComboBox *box : {m_brightnessBox, m_modelBox})
        connect(box, &QComboBox::currentTextChanged, this, write);
    write();
    for (QComboBox *box : {m_brightnessBox, m_modelBox, m_portBox})
        connect(box, &QComboBox::currentTextChanged, this, &SettingsRow::edited);
    connect(m_portBox, &QComboBox::currentTextChanged, this, &SettingsRow::updatePortTip);
}

void SettingsRow::updatePortTip()
{
    const QString port = m_portBox->currentText();
    const int k = m_portBox->findText(port);
    const QString device = k >= 0 ? m_portBox->itemData(k, Qt::ToolTipRole).toString() : QString();
    QString whole = port;
    if (!device.isEmpty() && device != port)
        whole += QStringLiteral(" (%1)").arg(device);
    m_portBox->setToolTip(whole.isEmpty() ? m_portTip : whole + QLatin1Char('\n') + m_portTip);
}

void SettingsRow::rememberPort(const QString &port)
{
    if (port.isEmpty() || m_portBox->findText(port) >= 0)
        return;
    m_usedPorts << port;
    const QSignalBlocker quiet(m_portBox);
    const QString shown = m_portBox->currentText();
    m_portBox->addItem(port);
    m_portBox->setItemData(m_portBox->count() - 1, port, Qt::ToolTipRole);
    choosePort(shown);
    updatePortTip();
}

int SettingsRow::language() const
{
    return m_languageBox->currentIndex();
}

void SettingsRow::takeSetup(const BadgeSetup &setup)
{
    m_modelBox->setCurrentIndex(m_modelBox->findText(setup.model));
    if (m_modelBox->currentText() != setup.model)
        m_modelBox->setEditText(setup.model);
    m_brightnessBox->setCurrentIndex(m_brightnessBox->findText(setup.brightness));
    if (m_brightnessBox->currentText() != setup.brightness)
        m_brightnessBox->setEditText(setup.brightness);
    m_languageBox->setCurrentIndex(setup.language);
}

QString SettingsRow::port() const
{
    return m_portBox->currentText();
}

void SettingsRow::choosePort(const QString &port)
{
    const int k = m_portBox->findText(port);
    if (k >= 0)
        m_portBox->setCurrentIndex(k);
    else
        m_portBox->setEditText(port);
}

void SettingsRow::fillPortList(const PortScan &scan, const PortMap &map)
{
    const QSignalBlocker quiet(m_portBox);
    m_portBox->clear();
    for (const QString &name : scan.names) {
        m_portBox->addItem(name);
        m_portBox->setItemData(m_portBox->count() - 1, map.devicePath(name), Qt::ToolTipRole);
    }
    for (const QString &port : std::as_const(m_usedPorts))
        if (m_portBox->findText(port) < 0) {
            m_portBox->addItem(port);
            m_portBox->setItemData(m_portBox->count() - 1, port, Qt::ToolTipRole);
        }
    const int chosen = m_portBox->findText(scan.chosen);
    m_portBox->setCurrentIndex(chosen);
    if (chosen < 0)
        m_portBox->clearEditText();
    updatePortTip();
}

QList<QWidget *> SettingsRow::tabChain() const
{
    return {m_languageBox, m_brightnessBox, m_modelBox, m_portBox};
}

} // namespace glintag
