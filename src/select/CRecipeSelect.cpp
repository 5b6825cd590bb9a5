#include "CRecipeSelect.h"

#include "Text1252.h"

#include "CRecipe.h"
#include "RecipeList.h"
#include "StatusMessage.h"
#include "recipe/ui/Strings.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kRowEven(200, 255, 255);
const QColor kRowOdd(175, 255, 175);
constexpr quint32 kOwnBackground = 32;

// Windows virtual-key codes the keyboard rules are written in.
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_UP = 0x26;
constexpr int VK_DOWN = 0x28;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F3 = 0x72;

// The virtual-key code of a key press; 0 for keys the type-ahead does not look at.
int VirtualKey(const QKeyEvent* e) {
    const int key = e->key();
    if (e->modifiers() & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return VK_NUMPAD0 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VK_DECIMAL;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        default:
            break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key; // same codes
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    default:
        return 0;
    }
}

bool IsAsciiAlpha(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

CRecipeSelect::CRecipeSelect(const std::string& customer, QWidget* parent, const std::string& directory)
    : QDialog(parent), m_strCustomer(customer), m_strDirectory(directory) {
    setWindowTitle(QStringLiteral("Select Recipe to Edit"));
    setSizeGripEnabled(true);
    BuildList();
    m_pProblem = new QLabel(this);
    m_pProblem->setWordWrap(true);
    m_pProblem->setStyleSheet(QStringLiteral("color: rgb(160, 0, 0);"));
    m_pProblem->hide();
    QLayout* buttons = BuildButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pList, 1);
    layout->addWidget(m_pProblem);
    layout->addLayout(buttons);
    setTabOrder(m_pList, m_pEdit);
    setTabOrder(m_pEdit, m_pNew);
    setTabOrder(m_pNew, m_pDelete);
    FollowListChanges();

    LoadList();
    m_pList->setFocus(Qt::OtherFocusReason);
    resize(580, 340);
}

void CRecipeSelect::BuildList() {
    m_pList = new CMyListCtrl(this);
    m_pList->setAccessibleName(QStringLiteral("Recipes"));
    m_pList->SetSingleSelection(true);
    m_pList->SetGridLines(true);
    m_pList->AddColumn(0, QStringLiteral("Recipe ID"), LVCFMT_LEFT, 100);
    m_pList->AddColumn(1, QStringLiteral("Description"), LVCFMT_LEFT, 220);
    m_pList->AddColumn(2, QStringLiteral("Last DT"), LVCFMT_LEFT, 80);
    m_pList->AddColumn(3, QStringLiteral("Recipe Number"), LVCFMT_LEFT, 100);
    // The last column takes the room the window gives beyond the four widths.
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->m_bSortOnHeaderClick = true;
}

// Edit and New on the left, Delete apart on the right.
QLayout* CRecipeSelect::BuildButtons() {
    m_pEdit = new QPushButton(QStringLiteral("Edit Selected Recipe"), this);
    m_pNew = new QPushButton(QStringLiteral("Create New Recipe"), this);
    m_pDelete = new QPushButton(QStringLiteral("Delete Selected Recipe"), this);
    for (QPushButton* b : {m_pEdit, m_pNew, m_pDelete})
        b->setAccessibleName(b->text());
    m_pEdit->setDefault(true);
    connect(m_pEdit, &QPushButton::clicked, this, &CRecipeSelect::accept);
    connect(m_pNew, &QPushButton::clicked, this, &CRecipeSelect::reject);
    connect(m_pDelete, &QPushButton::clicked, this, &CRecipeSelect::OnDelete);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &CRecipeSelect::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pEdit);
    buttons->addWidget(m_pNew);
    buttons->addStretch(1);
    buttons->addWidget(m_pDelete);
    return buttons;
}

// The type-ahead follows the rows as displayed: any change of the rows renews its copy. Keys
// typed anywhere in the dialog reach it.
void CRecipeSelect::FollowListChanges() {
    CListCtrlStyledModel* model = m_pList->StyledModel();
    auto invalidate = [this] { m_bSearchRowsValid = false; };
    connect(model, &QAbstractItemModel::layoutChanged, this, invalidate);
    connect(model, &QAbstractItemModel::modelReset, this, invalidate);
    connect(model, &QAbstractItemModel::rowsInserted, this, invalidate);
    connect(model, &QAbstractItemModel::rowsRemoved, this, invalidate);
    connect(model, &QAbstractItemModel::dataChanged, this, invalidate);
    // After a header-click sort the rows alternate their colours again in the new order.
    connect(m_pList->horizontalHeader(), &QHeaderView::sectionClicked, this, [this] { ColourRows(); });

    for (QWidget* w : {static_cast<QWidget*>(m_pList), static_cast<QWidget*>(m_pEdit),
                       static_cast<QWidget*>(m_pNew), static_cast<QWidget*>(m_pDelete)})
        w->installEventFilter(this);
    m_pList->viewport()->installEventFilter(this);
}

CRecipeSelect::~CRecipeSelect() = default;

QString CRecipeSelect::GetSearchText() const {
    return QString::fromLatin1(m_search.GetSearchText());
}

QString CRecipeSelect::GetProblemText() const {
    return m_pProblem->isHidden() ? QString() : m_pProblem->text();
}

void CRecipeSelect::ReportProblem(const QString& text) {
    m_pProblem->setText(text);
    m_pProblem->setVisible(!text.isEmpty());
}

void CRecipeSelect::LoadList() {
    m_pList->DeleteAllRows();
    std::vector<CRecipeListEntry> entries;
    m_nLoadStatus = ReadRecipeList(m_strCustomer, m_strDirectory, entries);
    m_pList->setUpdatesEnabled(false);
    for (const CRecipeListEntry& e : entries)
        m_pList->AddRow(
            {FromCp1252(e.recipeID), FromCp1252(e.name), FromCp1252(e.lastDT), FromCp1252(e.key)});
    ColourRows();
    m_pList->setUpdatesEnabled(true);
    ReportProblem(
        m_nLoadStatus == 0
            ? QString()
            : WithStatusDetail(kr::str::kFileUnreadable.arg(QStringLiteral("MENUHDR.DB")), m_nLoadStatus));
}

void CRecipeSelect::ColourRows() {
    for (int r = 0; r < m_pList->GetItemCount(); ++r) {
        m_pList->SetRowBkColor(r, (r % 2 == 0) ? kRowEven : kRowOdd, false);
        m_pList->SetRowStyle(r, kOwnBackground, false);
    }
    m_pList->viewport()->update();
}

void CRecipeSelect::accept() {
    const int row = m_pList->GetFirstSelectedRow();
    if (row < 0) return;
    m_strRecipeKey = ToCp1252Lossy(m_pList->GetCellText(row, ColRecipeNumber));
    QDialog::accept();
}

void CRecipeSelect::OnDelete() {
    const int row = m_pList->GetFirstSelectedRow();
    if (row < 0) return;
    const std::string key = ToCp1252Lossy(m_pList->GetCellText(row, ColRecipeNumber));

    std::string name;
    int status = FindRecipeHeader(m_strDirectory, key, name);
    if (status == 0) {
        QMessageBox ask(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        kr::str::kDeleteMenu.arg(FromCp1252(key), FromCp1252(name)),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes) return;
    } else if (status != 4) {
        // An unreadable file is not a missing header: nothing is deleted without the question.
        ReportProblem(WithStatusDetail(
            QStringLiteral("The recipe was not deleted: the recipe file could not be read."), status));
        return;
    }
    status = DeleteRecipe(m_strCustomer, key, m_strDirectory);
    // A refused delete removes nothing: the list stays, the recipe picked, to be tried again or opened.
    if (status == 0) LoadList();
    if (status == 4)
        ReportProblem(QStringLiteral("The recipe was not deleted: it belongs to another customer."));
    else if (status != 0)
        ReportProblem(WithStatusDetail(
            QStringLiteral("The recipe was not deleted: the recipe files could not be written."), status));
}

const std::vector<CRecipeTypeAhead::Row>& CRecipeSelect::SearchRows() {
    if (!m_bSearchRowsValid) {
        const int n = m_pList->GetItemCount();
        m_arrSearchRows.resize(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r) {
            m_arrSearchRows[static_cast<size_t>(r)].description =
                ToCp1252Lossy(m_pList->GetCellText(r, ColDescription));
            m_arrSearchRows[static_cast<size_t>(r)].recipeID =
                ToCp1252Lossy(m_pList->GetCellText(r, ColRecipeID));
        }
        m_bSearchRowsValid = true;
    }
    return m_arrSearchRows;
}

void CRecipeSelect::SelectFound(int row) {
    // The current (focus) row stays where it was; the found row becomes the selection.
    QItemSelectionModel* sel = m_pList->selectionModel();
    sel->clearSelection();
    m_pList->SelectRow(row, true);
    m_pList->EnsureVisible(row, true);
}

bool CRecipeSelect::OnKey(int vk) {
    switch (vk) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_END:
    case VK_HOME:
    case VK_UP:
    case VK_DOWN:
        m_search.Clear();
        return false;
    case VK_F3: {
        const CRecipeTypeAhead::Result r =
            m_search.OnSearchAgain(m_pList->GetFirstSelectedRow(), SearchRows());
        if (r.row >= 0) SelectFound(r.row);
        if (r.beep) QApplication::beep();
        return r.consumed;
    }
    default:
        break;
    }
    if (!IsAsciiAlpha(vk) && vk != VK_SPACE) return false;
    const CRecipeTypeAhead::Result r = m_search.OnChar(static_cast<char>(vk), SearchRows());
    if (r.row >= 0) SelectFound(r.row);
    if (r.beep) QApplication::beep();
    return r.consumed;
}

bool CRecipeSelect::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        // Alt combinations are the buttons' mnemonics, not typing.
        if (!(key->modifiers() & Qt::AltModifier)) {
            const int vk = VirtualKey(key);
            if (vk != 0 && OnKey(vk)) return true;
        }
        // Home and End go to the first and last recipe, as in any list, not along the row.
        if (watched == m_pList && key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            QKeyEvent rowKey(QEvent::KeyPress, key->key(), Qt::ControlModifier);
            QApplication::sendEvent(m_pList, &rowKey);
            return true;
        }
    } else if (e->type() == QEvent::MouseButtonPress && watched == m_pList->viewport()) {
        m_search.Clear();
    }
    return QDialog::eventFilter(watched, e);
}
