// The gallery window comes up with every control filled; its picture is saved for review.
#include "CComboBoxAuto.h"
#include "CFloatEdit.h"
#include "CFontCombo.h"
#include "CInPlaceEdit.h"
#include "CMyListCtrl.h"
#include "ControlsGallery.h"

#include <QDir>
#include <QtTest>

class TestGallery : public QObject {
    Q_OBJECT

private slots:
    void showsEveryControlAndSavesScreenshot() {
        ControlsGallery g;
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QTRY_VERIFY(g.m_pFont->count() > 0);
        QCOMPARE(g.m_pRecipes->GetItemCount(), 5);
        QCOMPARE(g.m_pStyles->GetItemCount(), 7);
        QCOMPARE(g.m_pSellPrice->GetValue(), 1234.5);
        QCOMPARE(g.m_pCategory->currentText(), QString("Beef"));

        // Sort the sample list by number, as a header click would.
        g.m_pRecipes->SortByColumn(0, true);
        QCOMPARE(g.m_pRecipes->GetCellText(0, 0), QString("9"));

        // An open cell editor, for the picture.
        g.m_pRecipes->EditSubLabel(1, 2, CColumnStatus::FreeText)->setText("Buns, sesame, toasted");

        const QImage shot = g.grab().toImage();
        QVERIFY(!shot.isNull());
        const QString path = QDir(QStringLiteral(KR_TEST_OUTPUT_DIR)).filePath("controls-gallery.png");
        QVERIFY(shot.save(path));
        qInfo("gallery screenshot: %s", qPrintable(path));
    }
};

QTEST_MAIN(TestGallery)
#include "test_gallery.moc"
