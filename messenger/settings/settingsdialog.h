#pragma once
// The settings dialog ("Vantrell Messenger - Settings"): five tabs of options, the two button
// tabs, the automatic responses and the Admin actions. A view over SettingsEditor, which
// edits the session's live options and button set; the dialog is made once per run and only
// hidden, never destroyed. Closing it by the window's X (or Escape) is a Cancel.
#include "messenger/settings/buttonset.h"
#include "messenger/settings/settingseditor.h"

#include <QDialog>

#include <array>
#include <utility>
#include <vector>

class Messenger;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class SettingsDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(Messenger &session, QWidget *parent = nullptr);
    ~SettingsDialog() override;

    // The Tools menu's "Change Settings": the one dialog of `parent` (made on first use and
    // kept as its child), run modally. Returns it after it was closed.
    static SettingsDialog *changeSettings(Messenger &session, QWidget *parent);

    // Opens the dialog modally with the receive queue held and the network monitor paused,
    // after the activation (diagnostics, `acchanged` cleared, transfer utility looked for).
    // Returns when Save, Cancel or Reset All has hidden it.
    int run();

    SettingsEditor &editor() { return editor_; }
    QTabWidget *tabs() const { return tabs_; }

    // Fills every control from the live options / button set / diagnostics.
    void showOptions();
    void showButtons();
    void showStats();

public Q_SLOTS:
    // Cancel; also the window's X and Escape.
    void reject() override;

private:
    QWidget *buildGeneralTab();
    QWidget *buildButtonTab(int firstSlot, bool sendTab);
    QWidget *buildAutoRespTab();
    QWidget *buildAdminTab();
    QCheckBox *addCheck(const QString &name, const QString &caption, bool Options::*flag);
    void showForwardTarget();
    void setRowLook(int slot, ButtonSet::Look look);

    void savebtn_Click();
    void selectSoundFile();
    void testSound();
    void selectForwardTarget();
    void resetAllData();

    Messenger &session_;
    SettingsEditor editor_;

    QTabWidget *tabs_ = nullptr;
    QLineEdit *friendlyname_ = nullptr;
    QLineEdit *portlisten_ = nullptr;
    QLineEdit *portsend_ = nullptr;
    QLineEdit *wavefile_ = nullptr;
    QPushButton *waveSelect_ = nullptr;
    QComboBox *msgfontsize_ = nullptr;
    QGroupBox *statsFrame_ = nullptr;
    QLabel *localinfo_ = nullptr;
    std::vector<std::pair<QCheckBox *, bool Options::*>> checks_;
    QCheckBox *autoreply_ = nullptr;

    std::array<QLineEdit *, 4> ar_{};
    QLabel *ar3temp_ = nullptr;
    QLineEdit *autorespond_ = nullptr;

    // Index 1..24 (0 unused).
    std::array<QLineEdit *, ButtonSet::SlotCount + 1> qsend_{};
    std::array<QLineEdit *, ButtonSet::SlotCount + 1> qsendtext_{};
    std::array<QCheckBox *, ButtonSet::SlotCount + 1> qsendi_{};

    QGroupBox *transferFrame_ = nullptr;
    QLabel *transferDescription_ = nullptr;
    QPushButton *transfer_ = nullptr;
};
