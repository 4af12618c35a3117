// The settings dialog driven through its controls: opened modally with the receive queue held
// and the monitor resting, Save and Cancel by real clicks, rows recoloured while typing, the
// window's X acting as Cancel with the dialog kept for the next opening, and the Admin tab's
// heading when the transfer utility is missing. No socket is bound; datagrams are caught.
#include "common/textfile.h"
#include "messenger/app/messenger.h"
#include "messenger/settings/settingsdialog.h"
#include "tests/support/testsupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace
{
const QString kProbe = QStringLiteral("***[PC1\\ME]=ME");
const QString kRed = QStringLiteral("#ff0000");
const QString kGreen = QStringLiteral("#80ff80");

QString readFile(const QString &path)
{
    QString text;
    TextFile::read(path, &text);
    return text;
}
} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<SilentPrompter> prompter;
    std::unique_ptr<Messenger> session;
    std::unique_ptr<QWidget> mainWindow;
    QStringList sent;

    QString settingsText() const { return readFile(dir->filePath(QStringLiteral("settings.txt"))); }

    template <class T> T *child(SettingsDialog *dialog, const QString &name)
    {
        T *found = dialog->findChild<T *>(name);
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }

    // Opens the dialog the way the Tools menu does and runs `whileOpen` inside it.
    SettingsDialog *openAndDo(const std::function<void(SettingsDialog *)> &whileOpen)
    {
        QTimer::singleShot(0, this, [this, whileOpen] {
            auto *dialog = mainWindow->findChild<SettingsDialog *>();
            if (!dialog || !dialog->isVisible()) {
                qWarning("the settings dialog is not open");
                return;
            }
            whileOpen(dialog);
            // A failed check inside leaves the dialog open: close it so the test ends.
            if (dialog->isVisible())
                dialog->reject();
        });
        return SettingsDialog::changeSettings(*session, mainWindow.get());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("COMPUTERNAME", "pc1");
        qputenv("USERNAME", "me");
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        TestSupport::isolateUser(dir->path());
        Options stored;
        stored.friendlyname = QStringLiteral("ME");
        stored.listenPort = 47621;
        stored.sendPort = 47622;
        stored.autostartup = false;
        QVERIFY(SettingsFile::save(SettingsFile::path(dir->path()), stored, 0, 0));

        sent.clear();
        prompter = std::make_unique<SilentPrompter>();
        session = std::make_unique<Messenger>(dir->path(), *prompter);
        session->sendHook = [this](const QString &text, SocketError *) {
            sent.append(text);
            return true;
        };
        session->loadbuttons();
        session->loadusers_Click();
        session->directory.allusers = {QStringLiteral("Me"), QStringLiteral("Ann")};
        mainWindow = std::make_unique<QWidget>();
    }

    void cleanup()
    {
        mainWindow.reset();
        session.reset();
        prompter.reset();
        dir.reset();
    }

    // A check box clicked and Save clicked: stored, the list rebuilt and probed, hidden;
    // while open the queue was held and the monitor rested, both restored afterwards.
    void saveByClicks()
    {
        session->monitor.start();
        bool heldWhileOpen = false;
        bool monitorWhileOpen = true;
        SettingsDialog *dialog = openAndDo([&](SettingsDialog *d) {
            heldWhileOpen = session->transport.boxopen();
            monitorWhileOpen = session->monitor.isActive();
            QCOMPARE(d->windowTitle(), QStringLiteral("Vantrell Messenger - Settings"));
            auto *showme = child<QCheckBox>(d, QStringLiteral("showme"));
            QVERIFY(showme && showme->isChecked());
            QTest::mouseClick(showme, Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(d, QStringLiteral("savebtn")), Qt::LeftButton);
        });

        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QVERIFY(heldWhileOpen);
        QVERIFY(!monitorWhileOpen);
        QVERIFY(!session->transport.boxopen());
        QVERIFY(session->monitor.isActive());
        QVERIFY(!session->options.showme);
        QVERIFY(settingsText().contains(QStringLiteral("[SHOWMEINLIST        ]=0\r\n")));
        QCOMPARE(sent, QStringList{kProbe});
        QVERIFY(session->directory.allusers.isEmpty());
    }

    // Typing an emergency caption on the Response Buttons tab turns the row red at once;
    // after Save the set is read back and the row is green again (only slots 1..12 stay red).
    void responseRowColourWhileTypingAndAfterSave()
    {
        QString colourWhileTyping;
        SettingsDialog *dialog = openAndDo([&](SettingsDialog *d) {
            d->tabs()->setCurrentIndex(2);
            auto *caption = child<QLineEdit>(d, QStringLiteral("qsend13"));
            caption->selectAll();
            QTest::keyClicks(caption, QStringLiteral("Fire Emergency"));
            colourWhileTyping = child<QLineEdit>(d, QStringLiteral("qsendtext13"))->styleSheet();
            QTest::mouseClick(child<QPushButton>(d, QStringLiteral("savebtn")), Qt::LeftButton);
        });
        QVERIFY(colourWhileTyping.contains(kRed));
        QCOMPARE(session->buttons.caption(13), QStringLiteral("Fire Emergency"));
        QVERIFY(readFile(session->buttons.path())
                    .contains(QStringLiteral("\"Fire Emergency\",\"Please take a message\",1")));
        QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("qsend13"))
                    ->styleSheet()
                    .contains(kGreen));
        // Button edits alone send no probe.
        QVERIFY(sent.isEmpty());
    }

    // Cancel by click, and the window's X, both discard the edits and put the stored values
    // back; the dialog survives the X and shows the stored values at the next opening.
    void cancelAndCloseDiscardEdits_data()
    {
        QTest::addColumn<bool>("byX");
        QTest::newRow("Cancel") << false;
        QTest::newRow("window X") << true;
    }

    void cancelAndCloseDiscardEdits()
    {
        QFETCH(bool, byX);
        QString colourWhileTyping;
        QPointer<SettingsDialog> dialog = openAndDo([&](SettingsDialog *d) {
            d->tabs()->setCurrentIndex(1);
            auto *caption = child<QLineEdit>(d, QStringLiteral("qsend1"));
            caption->selectAll();
            QTest::keyClicks(caption, QStringLiteral("EMERGENCY now"));
            colourWhileTyping = caption->styleSheet();
            QTest::mouseClick(child<QCheckBox>(d, QStringLiteral("entersend")), Qt::LeftButton);
            if (byX)
                d->close();
            else
                QTest::mouseClick(child<QPushButton>(d, QStringLiteral("cancelbtn")),
                                  Qt::LeftButton);
        });
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QVERIFY(colourWhileTyping.contains(kRed));
        QCOMPARE(session->buttons.caption(1), QStringLiteral("Patient arrived?"));
        QVERIFY(!session->options.entersend);
        QVERIFY(sent.isEmpty());
        QVERIFY(!session->transport.boxopen());

        QString captionShown;
        bool entersendShown = true;
        SettingsDialog *again = openAndDo([&](SettingsDialog *d) {
            captionShown = child<QLineEdit>(d, QStringLiteral("qsend1"))->text();
            entersendShown = child<QCheckBox>(d, QStringLiteral("entersend"))->isChecked();
            d->reject();
        });
        QCOMPARE(again, dialog.data());
        QCOMPARE(captionShown, QStringLiteral("Patient arrived?"));
        QVERIFY(!entersendShown);
    }

    // Without the utility next to the program the Admin tab says so and Transfer is off.
    void transferMissingOnAdminTab()
    {
        auto *dialog = new SettingsDialog(*session, mainWindow.get());
        dialog->editor().setTransferProgram(dir->filePath(QStringLiteral("cfgrelay")));
        QString heading;
        bool transferEnabled = true;
        openAndDo([&](SettingsDialog *d) {
            QCOMPARE(d, dialog);
            heading = child<QGroupBox>(d, QStringLiteral("transferframe"))->title();
            transferEnabled = child<QPushButton>(d, QStringLiteral("transfer"))->isEnabled();
            d->reject();
        });
        QCOMPARE(heading,
                 QStringLiteral("Settings and Buttons Transfer Utility  (Utility not Installed)"));
        QVERIFY(!transferEnabled);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settingsdialog.moc"
