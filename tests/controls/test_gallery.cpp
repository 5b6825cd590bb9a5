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
        QVERIFY(g.m_pRecipes->GetItemCount() > 0);

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
