// Rules of the list and editors that need no window: row comparison, the safe sort,
// in-place input filters, combo completion and style resolution.
#include "CellStyle.h"
#include "ComboCompletion.h"
#include "InPlaceFilter.h"
#include "ListSortRules.h"

#include <QtTest>

#include <random>

using ListSortRules::CompareRowTexts;

class TestControlRules : public QObject {
    Q_OBJECT

    static QStringList Sorted(QStringList texts, bool ascending) {
        std::vector<QString> v(texts.begin(), texts.end());
        ListSortRules::StableMergeSort(
            v, [&](const QString& a, const QString& b) { return CompareRowTexts(a, b, ascending); });
        return QStringList(v.begin(), v.end());
    }

private slots:
    // The first text chooses the rule: numbers (read like atoi, empty is 0, no overflow), dates as
    // day/month/year (the other text need not be one), short dates and everything else as locale
    // text. So the comparison is not antisymmetric: "10" against "x" and "x" against "10" both say 1.
    void ruleChosenByTheFirstText() {
        const std::tuple<const char*, const char*, bool, int> cases[] = {
            {"", "0", true, 0},
            {"5", "-3", true, 1},
            {"5", " 7x", true, -1},
            {"99999999999999999999999", "1", true, 1},
            {"01/01/2009", "31/12/2008", true, 1},
            {"05/05/2008", "05/05/2008", true, 0},
            {"01/01/2009", "31/12/2008", false, -1},
            {"01/01/2009", "x", true, 1},
            {"10", "x", true, 1},
            {"x", "10", true, 1}};
        for (auto [a, b, ascending, want] : cases)
            QVERIFY2(CompareRowTexts(a, b, ascending) == want, qPrintable(QString("%1 : %2").arg(a, b)));
        QVERIFY(CompareRowTexts("apple", "Banana", true) < 0);
        QCOMPARE(ListSortRules::ChooseRule(u"05/12/08"), ListSortRules::ERule::Text);

        QCOMPARE(Sorted({"100", "9", "10"}, true), QStringList({"9", "10", "100"}));
        QCOMPARE(Sorted({"100", "9", "10"}, false), QStringList({"100", "10", "9"}));
        QCOMPARE(Sorted({"11/06/2008", "12/05/2008"}, true), QStringList({"12/05/2008", "11/06/2008"}));
        // As dates December 2007 would lead; as text "01" does.
        QCOMPARE(Sorted({"12/01/07", "01/05/08"}, true), QStringList({"01/05/08", "12/01/07"}));
        QCOMPARE(Sorted({"banana", "Apple", "cherry"}, true), QStringList({"Apple", "banana", "cherry"}));
    }

    void mergeSortIsStableAndSafeWithAnyComparison() {
        // Equal keys keep their order.
        std::vector<std::pair<int, int>> v;
        for (int i = 0; i < 50; ++i)
            v.push_back({i % 3, i});
        ListSortRules::StableMergeSort(v, [](auto& a, auto& b) { return a.first - b.first; });
        for (size_t i = 1; i < v.size(); ++i) {
            QVERIFY(v[i - 1].first <= v[i].first);
            if (v[i - 1].first == v[i].first) QVERIFY(v[i - 1].second < v[i].second);
        }
        // A comparison that answers at random still gives back every element exactly once.
        std::mt19937 rng(7);
        std::vector<int> w(1000);
        for (int i = 0; i < 1000; ++i)
            w[size_t(i)] = i;
        ListSortRules::StableMergeSort(w, [&](int, int) { return int(rng() % 3) - 1; });
        std::vector<int> check = w;
        std::sort(check.begin(), check.end());
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(check[size_t(i)], i);
        // Mixed columns with the real comparison.
        QStringList mixed;
        for (int i = 0; i < 200; ++i)
            mixed << (i % 3 == 0 ? QString::number(i) : i % 3 == 1 ? "x" + QString::number(i) : "");
        QCOMPARE(Sorted(mixed, true).size(), mixed.size());
    }

    // What the in-place editors accept: integers in range, with a sign and leading blanks; reals
    // with one point and a whole exponent, nothing overflowing.
    void filtersAcceptOnlyWellFormedNumbersInRange() {
        const int i = InPlaceFilter::Integer, r = InPlaceFilter::Real;
        struct Case {
            int kind;
            bool ok;
            QStringList texts;
        };
        const Case cases[] = {
            {i, true, {"12", "2147483647", "-2147483648", "", "  42", "+7"}},
            {i,
             false,
             {"12a", "21474836470", "2147483648", "-2147483649", "-", "42 ", "  ", "1.5", QChar(0x661)}},
            {r, true, {"1.5", "1e3", "1.", ".5", "-0.25", "+2", ""}},
            {r, false, {"1.5.2", ".", "-", "+-2", "1e", "1e999", "1,5"}},
            {InPlaceFilter::None, true, {"anything at all"}}};
        for (const Case& c : cases)
            for (const QString& text : c.texts)
                QVERIFY2(InPlaceFilter::IsAcceptable(c.kind, text) == c.ok, qPrintable(text));
    }

    void completionTakesFirstEntryIgnoringCase() {
        const QStringList entries = {"Beef", "Beverages", "Breakfast"};
        struct Case {
            const char* typed;
            int caret;
            int index;
            const char* text;
            int selStart, selEnd;
        };
        const Case cases[] = {
            {"B", 1, 0, "Beef", 1, 4},
            {"bev", 3, 1, "Beverages", 3, 9},
            {"Bx", 2, -1, "Bx", 2, 2},        // no entry: as typed
            {"Bre", 1, 2, "Breakfast", 1, 1}, // typing inside the text keeps the user's selection
        };
        for (const Case& c : cases) {
            const auto r = ComboCompletion::Complete(entries, c.typed, c.caret, c.caret);
            QVERIFY2(r.index == c.index && r.text == c.text && r.selStart == c.selStart &&
                         r.selEnd == c.selEnd,
                     c.typed);
        }
        QCOMPARE(ComboCompletion::FindFirstPrefix(entries, ""), -1);
    }

    // A cell's own colour, else the row's unless bit 128, else the list's; a colour without its bit
    // is not used. A selected row takes the highlight colours but keeps its fonts.
    void cellColoursFromCellRowOrListAndSelectionHighlights() {
        const CStyleColors colors{Qt::black, Qt::white, Qt::yellow, Qt::darkBlue};
        const CStyleRecord row{kStyleBkColor | kStyleTextColor, QColor(255, 0, 0), QColor(200, 255, 255)};
        const CStyleRecord plain, own{kStyleNoRow, QColor(), QColor()};
        const CStyleRecord cellBk{kStyleBkColor, QColor(), QColor(1, 2, 3)};
        const CStyleRecord silent{0, QColor(9, 9, 9), QColor(9, 9, 9)};
        auto look = [&](const CStyleRecord& cell, const CStyleRecord* r, bool selected = false) {
            return ResolveCellStyle(&cell, r, selected, QFont(), colors);
        };
        QCOMPARE(look(plain, &row).background, QColor(200, 255, 255));
        QCOMPARE(look(own, &row).background, QColor(Qt::white));
        QCOMPARE(look(cellBk, &row).background, QColor(1, 2, 3));
        const auto r = look(silent, nullptr);
        QCOMPARE(r.text, QColor(Qt::black));
        QCOMPARE(r.background, QColor(Qt::white));
        QVERIFY(!r.font);

        const CStyleRecord cell{kStyleBold | kStyleTextColor, QColor(0, 255, 0), QColor()};
        const auto selected = look(cell, &row, true);
        QCOMPARE(selected.text, QColor(Qt::yellow));
        QCOMPARE(selected.background, QColor(Qt::darkBlue));
        QVERIFY(selected.font);
        QCOMPARE(selected.font->weight(), QFont::Bold);
    }

    void boldCellInItalicRowIsBoldItalic() {
        const CStyleColors colors{};
        QFont base("DejaVu Sans", 10);
        CStyleRecord row{kStyleItalic, {}, {}};
        CStyleRecord cell{kStyleBold, {}, {}};
        auto r = ResolveCellStyle(&cell, &row, false, base, colors);
        QVERIFY(r.font);
        QCOMPARE(r.font->weight(), QFont::Bold);
        QVERIFY(r.font->italic());
        QVERIFY(!r.font->underline());
        // Bit 128 keeps the row's italic away.
        cell.m_nStyle = kStyleBold | kStyleNoRow;
        r = ResolveCellStyle(&cell, &row, false, base, colors);
        QVERIFY(!r.font->italic());
        // Only the row has font bits: its font alone.
        CStyleRecord none;
        r = ResolveCellStyle(&none, &row, false, base, colors);
        QVERIFY(r.font && r.font->italic() && r.font->weight() == QFont::Normal);
        // A bold base font and a record without bit 1: the record's own font is not bold.
        QFont boldBase = base;
        boldBase.setBold(true);
        CStyleRecord underline{kStyleUnderline, {}, {}};
        QCOMPARE(RecordFont(boldBase, underline.m_nStyle).weight(), QFont::Normal);
    }
};

QTEST_APPLESS_MAIN(TestControlRules)
#include "test_control_rules.moc"
