// The suite's dialogs on the demo database, driven by real keys and mouse clicks.
#include "AccessibleNames.h"
#include "CCustomerPickerDlg.h"
#include "CDefaultItemInfo.h"
#include "CItemInfoDlg.h"
#include "CMyListCtrl.h"
#include "CProfileDlg.h"
#include "Display.h"
#include "ModalDriver.h"
#include "Password.h"
#include "Profile.h"
#include "SuiteSettings.h"
#include "Text1252.h"
#include "dbtool.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

void Screenshot(QWidget* window, const QString& name) {
    QDir().mkpath(KR_SCREENSHOT_DIR);
    window->grab().save(QString(KR_SCREENSHOT_DIR) + "/" + name + ".png");
}

void ClickButton(QWidget* dlg, const QString& caption) {
    for (QPushButton* button : dlg->findChildren<QPushButton*>())
        if (button->text() == caption) return QTest::mouseClick(button, Qt::LeftButton);
    QFAIL(qPrintable("no button " + caption));
}

QString SelectedNumber(CCustomerPickerDlg* dlg) {
    int row = dlg->GetList()->GetFirstSelectedRow();
    return row < 0 ? QString() : dlg->GetList()->GetCellText(row, 0);
}

} // namespace

class SuiteDialogsTest : public QObject {
    Q_OBJECT
public:
    QString m_home;
    QString m_demo;

private slots:
    void initTestCase() {
        m_demo = m_home + "/demo";
        QVERIFY(kdb::BuildDemo(m_demo.toStdString(), KR_DEMO_DATA));
        QVERIFY(QDir::setCurrent(m_demo));
    }

    void init() {
        SuiteSettings().clear();
        QVERIFY(QDir::setCurrent(m_demo));
    }

    void profileIsAddedAndPickedWithTheKeyboard() {
        char buffer[260] = "untouched";
        auto checked = kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CProfileDlg*>(w);
            QVERIFY(dlg);
            QCOMPARE(dlg->GetList()->GetItemCount(), 0);
            kt::OnModal([](QWidget* add) {
                QVERIFY(qobject_cast<CAddProfileDlg*>(add));
                Screenshot(add, "add_profile");
                QTest::keyClicks(add->focusWidget(), "Store 12");
                QTest::keyClick(add->focusWidget(), Qt::Key_Tab);
                QTest::keyClicks(add->focusWidget(), "/srv/kestrel/store12");
                QTest::keyClick(add->focusWidget(), Qt::Key_Return);
            });
            ClickButton(dlg, "&Add...");
            QCOMPARE(dlg->GetList()->GetItemCount(), 1);
            QCOMPARE(dlg->GetList()->GetCellText(0, 0), QString("Store 12"));
            ExpectAccessibleNames(dlg);
            Screenshot(dlg, "profile");
            // The password is set from here: no password yet, so only the new one twice.
            kt::OnModal([](QWidget* change) {
                auto edits = change->findChildren<QLineEdit*>();
                QCOMPARE(edits.size(), 2);
                QTest::keyClicks(edits[0], "pw");
                QTest::keyClicks(edits[1], "pw");
                QTest::keyClick(edits[1], Qt::Key_Return);
            });
            ClickButton(dlg, "Pass&word...");
            QVERIFY(CheckPassword("pw") && HasPassword());
            dlg->GetList()->setFocus();
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(SelectProfile(0, buffer, nullptr), 0);
        QVERIFY(*checked);
        QCOMPARE(QString(buffer), QString("Store 12"));
        std::vector<CProfileEntry> profiles = StoredProfiles();
        QCOMPARE(profiles.size(), size_t(1));
        QCOMPARE(QString::fromStdString(profiles[0].m_strDatabaseDir), QString("/srv/kestrel/store12"));
        // Start-up reads the directory from the profile's own section.
        QCOMPARE(SuiteSettings().value("Store 12Directories/DatabaseDir").toString(),
                 QString("/srv/kestrel/store12"));
    }

    void profileChoiceCancelledLeavesTheBufferAlone() {
        QVERIFY(StoreProfile("Main", "/data/main"));
        QVERIFY(StoreProfile("Branch", "/data/branch"));
        QVERIFY(!StoreProfile("a/b", "/data"));
        char buffer[260] = "untouched";
        kt::OnModal([](QWidget* w) {
            auto* dlg = qobject_cast<CProfileDlg*>(w);
            QVERIFY(dlg);
            QCOMPARE(dlg->GetList()->GetItemCount(), 2);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Escape);
        });
        QVERIFY(SelectProfile(1, buffer, nullptr) < 0);
        QCOMPARE(QString(buffer), QString("untouched"));

        // Down to the second profile, then Enter.
        kt::OnModal([](QWidget* w) {
            QTest::keyClick(w->focusWidget(), Qt::Key_Down);
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(SelectProfile(1, buffer, nullptr), 0);
        QCOMPARE(QString(buffer), QString("Branch"));
    }

    void passwordIsASaltedArgon2idHashAskedForThriceAndChangedOnlyWithTheCurrentOne() {
        QVERIFY(!HasPassword());
        QCOMPARE(ValidatePassword(), 1); // no password: no dialog, passes
        QVERIFY(SetPassword("s3cret!"));
        QString stored = SuiteSettings().value("Display/PasswordHash").toString();
        QVERIFY2(stored.startsWith("$argon2id$"), qPrintable(stored));
        QVERIFY(!stored.contains("s3cret"));
        QVERIFY(CheckPassword("s3cret!"));
        QVERIFY(!CheckPassword("s3cret"));
        QVERIFY(!CheckPassword(""));
        // A second hash of the same password differs (salted) and still checks.
        QVERIFY(SetPassword("s3cret!"));
        QVERIFY(SuiteSettings().value("Display/PasswordHash").toString() != stored);
        QVERIFY(CheckPassword("s3cret!"));
        QVERIFY(SetPassword(""));
        QVERIFY(!HasPassword());

        // Asked for: three wrong tries fail, a wrong one then the right one passes.
        QVERIFY(SetPassword("right"));
        int tries = 0;
        kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CPasswordDlg*>(w);
            QVERIFY(dlg);
            ExpectAccessibleNames(dlg);
            for (const char* guess : {"wrong1", "wrong2", "wrong3"}) {
                if (!dlg->isVisible()) break;
                QTest::keyClicks(dlg->focusWidget(), guess);
                QTest::keyClick(dlg->focusWidget(), Qt::Key_Return);
                ++tries;
                if (tries == 2) Screenshot(dlg, "password");
            }
        });
        QCOMPARE(ValidatePassword(), 0);
        QCOMPARE(tries, 3);

        kt::OnModal([](QWidget* w) {
            QTest::keyClicks(w->focusWidget(), "nope");
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
            QVERIFY(w->isVisible());
            QTest::keyClicks(w->focusWidget(), "right");
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(ValidatePassword(), 1);

        // A change needs the current password and a matching confirmation.
        CChangePasswordDlg dlg;
        kt::OnModal([](QWidget* w) {
            auto edits = w->findChildren<QLineEdit*>();
            QCOMPARE(edits.size(), 3);
            QTest::keyClicks(edits[0], "bad");
            QTest::keyClicks(edits[1], "new");
            QTest::keyClicks(edits[2], "new");
            QTest::keyClick(edits[2], Qt::Key_Return);
            QVERIFY(w->isVisible()); // wrong current password
            QTest::keyClicks(edits[0], "right");
            edits[2]->clear();
            QTest::keyClicks(edits[2], "newer");
            QTest::keyClick(edits[2], Qt::Key_Return);
            QVERIFY(w->isVisible()); // confirmation differs
            Screenshot(w, "change_password");
            QTest::keyClicks(edits[2], "new");
            QTest::keyClick(edits[2], Qt::Key_Return);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(CheckPassword("new"));
        QVERIFY(!CheckPassword("right"));
    }

    void customerPickerFindsByNameNumberAndShownOrderAndChoosesByKeyOrDoubleClick() {
        char buffer[8] = "x";
        kt::OnModal([](QWidget* w) {
            auto* dlg = qobject_cast<CCustomerPickerDlg*>(w);
            QVERIFY(dlg);
            QVERIFY(dlg->GetList()->GetItemCount() > 3);
            ExpectAccessibleNames(dlg);
            QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->GetFindEdit()));
            QTest::keyClicks(dlg->GetFindEdit(), "blue h");
            QCOMPARE(SelectedNumber(dlg), QString("100210"));
            Screenshot(dlg, "customer_picker");
            QTest::keyClick(dlg->GetFindEdit(), Qt::Key_Return);
        });
        QCOMPARE(SelectCust(0, "Recipe", buffer, 0, nullptr), 1);
        QCOMPARE(QString(buffer), QString("100210"));

        // Down in the find field moves the list on; Enter of the keypad chooses too.
        QString expected;
        kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CCustomerPickerDlg*>(w);
            QTest::keyClicks(dlg->GetFindEdit(), "1003");
            QCOMPARE(SelectedNumber(dlg), QString("100355"));
            int row = dlg->GetList()->GetFirstSelectedRow();
            QTest::keyClick(dlg->GetFindEdit(), Qt::Key_Down);
            QCOMPARE(dlg->GetList()->GetFirstSelectedRow(), row + 1);
            expected = SelectedNumber(dlg);
            QTest::keyClick(dlg->GetFindEdit(), Qt::Key_Enter);
        });
        QCOMPARE(SelectCust(0, "Recipe", buffer, 0, nullptr), 1);
        QCOMPARE(QString(buffer), expected);

        // A click on a header sorts; a double-click chooses; Escape chooses nothing.
        kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CCustomerPickerDlg*>(w);
            CMyListCtrl* list = dlg->GetList();
            QHeaderView* header = list->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
            for (int row = 1; row < list->GetItemCount(); ++row)
                QVERIFY(
                    list->GetCellText(row - 1, 1).compare(list->GetCellText(row, 1), Qt::CaseInsensitive) <=
                    0);
            // Type-ahead follows the order shown: the first name starting with "b".
            int first = -1;
            for (int row = 0; row < list->GetItemCount() && first < 0; ++row)
                if (list->GetCellText(row, 1).startsWith('B', Qt::CaseInsensitive)) first = row;
            QCOMPARE(dlg->FindRow("b"), first);
            expected = list->GetCellText(2, 0);
            QRect cell = list->visualRect(list->model()->index(2, 1));
            // A person's double-click: the first click, then the double-click event.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        });
        QCOMPARE(SelectCust(0, "Recipe", buffer, 0, nullptr), 1);
        QCOMPARE(QString(buffer), expected);

        std::strcpy(buffer, "x");
        kt::OnModal([](QWidget* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Escape); });
        QCOMPARE(SelectCust(0, "Recipe", buffer, 0, nullptr), 0);
        QCOMPARE(QString(buffer), QString("x"));

        // Without a customer file: an empty list, and Enter chooses nothing.
        QTemporaryDir empty;
        QVERIFY(QDir::setCurrent(empty.path()));
        kt::OnModal([](QWidget* w) {
            auto* dlg = qobject_cast<CCustomerPickerDlg*>(w);
            QCOMPARE(dlg->GetList()->GetItemCount(), 0);
            QTest::keyClick(dlg->GetFindEdit(), Qt::Key_Return); // nothing to choose
            QVERIFY(dlg->isVisible());
            QTest::keyClick(dlg->GetFindEdit(), Qt::Key_Escape);
        });
        QCOMPARE(SelectCust(0, "Recipe", buffer, 0, nullptr), 0);
        QCOMPARE(QString(buffer), QString("x"));
    }

    void itemInformationShowsUnitsHistoryAndTodaysPrice() {
        CDefaultItemInfo expected;
        QVERIFY(expected.Load("100210", "10101       ", "CS "));
        auto checked = kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CItemInfoDlg*>(w);
            QVERIFY(dlg);
            QVERIFY(dlg->IsFound());
            QVERIFY(dlg->windowTitle().contains("100210"));
            CMyListCtrl* units = dlg->GetUnits();
            QCOMPARE(units->GetItemCount(), 2);
            QCOMPARE(units->GetCellText(0, CItemInfoDlg::kUnit), QString("CS"));
            QCOMPARE(units->GetCellText(0, CItemInfoDlg::kLastBought), QString("01/01/2025"));
            QVERIFY(std::abs(units->GetCellText(0, CItemInfoDlg::kPrice).toDouble() - expected.m_dCost) <
                    0.006);
            // No history for the second unit: its columns stay empty.
            QCOMPARE(units->GetCellText(1, CItemInfoDlg::kLastBought), QString());
            bool hasDescription = false;
            for (QLabel* label : dlg->findChildren<QLabel*>())
                hasDescription |= label->text() == FromCp1252(expected.m_strDescription).trimmed();
            QVERIFY(hasDescription);
            ExpectAccessibleNames(dlg);
            Screenshot(dlg, "item_information");
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Escape);
        });
        DispItemInfo("10101", "100210", nullptr, nullptr);
        QVERIFY(*checked);

        kt::OnModal([&](QWidget* w) {
            auto* dlg = qobject_cast<CItemInfoDlg*>(w);
            QVERIFY(!dlg->IsFound());
            QCOMPARE(dlg->GetUnits()->GetItemCount(), 0);
            QTest::keyClick(dlg->focusWidget(), Qt::Key_Escape);
        });
        DispItemInfo("NO SUCH", "100210", nullptr, nullptr);
    }

    void recordTextIsWindows1252() {
        std::string bytes = "Caf\xE9 \x80 \x93quoted\x94";
        QString text = FromCp1252(bytes);
        QCOMPARE(text, QString::fromUtf8("Café € “quoted”"));
        QCOMPARE(ToCp1252Lossy(text), bytes);
        QCOMPARE(ToCp1252Lossy(QString::fromUtf8("日")), std::string("?"));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QApplication app(argc, argv);
    SuiteDialogsTest test;
    test.m_home = home.path();
    return QTest::qExec(&test, argc, argv);
}

#include "test_suite_dialogs.moc"
