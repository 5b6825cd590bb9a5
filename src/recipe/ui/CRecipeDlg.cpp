#include "CRecipeDlg.h"

#include "CComboBoxAuto.h"
#include "CFloatEdit.h"
#include "CRecipe.h"
#include "CRecipeSelect.h"
#include "Costing.h"
#include "CustomerDB.h"
#include "Display.h"
#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "RecipePrint.h"
#include "StatusMessage.h"
#include "Strings.h"
#include "Text1252.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kNotFound = 4;
constexpr int kEndOfFile = 9;
constexpr int kNameWidth = 30;
constexpr int kRecipeIdWidth = 20;
constexpr int kCategoryWidth = 30;

QString Q(const std::string& text) {
    return FromCp1252(text);
}

std::string S(const QString& text) {
    std::string out;
    ToCp1252(text, &out); // the fields' validators let only storable text in
    return out;
}

// Upper case of ASCII letters only, as the record files convert it.
std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Notes are stored with the line breaks of the suite's other programs (carriage return and line
// feed); the editor shows plain line feeds.
QString StoredNotes(const QString& shown) {
    return QString(shown).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}
QString ShownNotes(const QString& stored) {
    return QString(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FormatDesired(double value) {
    return QString::number(value, 'g', 15);
}

// A label whose buddy gives the field its accessible name.
QLabel* Buddy(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

} // namespace

CRecipeDlg::CRecipeDlg(const QString& customerNumber, QWidget* parent) : QDialog(parent) {
    m_strCustomer = S(customerNumber.trimmed());
    m_bModified = false;
    if (!m_strCustomer.empty()) {
        int status = 0;
        if (!CustomerExists(m_strCustomer, &status)) {
            if (status != 0 && status != kNotFound) ReportUnreadable("CUST.DB", status);
            m_strCustomer.clear();
        }
    }
    if (m_strCustomer.empty()) {
        char buffer[16] = {};
        if (SelectCust(0, "Recipe", buffer, 0, nullptr) == 1 && CustomerExists(buffer))
            m_strCustomer = buffer;
    }
    BuildControls();
}

CRecipeDlg::~CRecipeDlg() = default;

bool CRecipeDlg::CustomerExists(const std::string& number, int* status) const {
    CCustomerDB customers;
    int st = customers.OpenFile();
    CCustomer customer;
    if (st == 0) st = customers.GetRecord(customer, number);
    if (status) *status = st;
    return st == 0;
}

void CRecipeDlg::ReportUnreadable(const char* file, int status) {
    ShowStatusMessage(isVisible() ? this : nullptr, QMessageBox::Warning, kr::str::kRecipeCaption,
                      kr::str::kFileUnreadable.arg(QString::fromLatin1(file)), status);
}

// ---- controls ----

QPushButton* CRecipeDlg::MakeButton(const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    m_arrButtons.push_back(b);
    return b;
}

// The customer's name and address with the commands about the customer beneath.
QLayout* CRecipeDlg::BuildCustomerBlock() {
    m_editCustomerInfo = new QPlainTextEdit(this);
    m_editCustomerInfo->setReadOnly(true);
    m_editCustomerInfo->setAccessibleName(QStringLiteral("Customer"));
    m_editCustomerInfo->setFocusPolicy(Qt::ClickFocus);
    m_editCustomerInfo->setFixedHeight(m_editCustomerInfo->fontMetrics().lineSpacing() * 3 + 12);
    m_editCustomerInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPushButton* newCustomer = MakeButton(kr::str::kNewCustomer);
    QPushButton* about = MakeButton(kr::str::kAboutRecipe);
    about->setAccessibleName(QStringLiteral("About Recipe..."));
    auto* customerBox = new QVBoxLayout;
    customerBox->addWidget(m_editCustomerInfo);
    auto* customerButtons = new QHBoxLayout;
    customerButtons->addWidget(newCustomer);
    customerButtons->addWidget(about);
    customerButtons->addStretch();
    customerBox->addLayout(customerButtons);
    return customerBox;
}

QLayout* CRecipeDlg::BuildHeaderFields() {
    m_editRecipeName = new QLineEdit(this);
    m_editRecipeName->setValidator(new CCp1252Validator(kNameWidth, m_editRecipeName));
    m_editRecipeName->setMaxLength(kNameWidth);
    m_editRecipeID = new QLineEdit(this);
    m_editRecipeID->setValidator(new CCp1252Validator(kRecipeIdWidth, m_editRecipeID));
    m_editRecipeID->setMaxLength(kRecipeIdWidth);
    m_comboCategory = new CComboBoxAuto(this);
    m_comboCategory->lineEdit()->setValidator(new CCp1252Validator(kCategoryWidth, m_comboCategory));
    m_comboCategory->lineEdit()->setMaxLength(kCategoryWidth);
    m_comboCategory->setMinimumContentsLength(16);
    auto* header = new QFormLayout;
    header->addRow(Buddy(QStringLiteral("Recipe &Name"), m_editRecipeName, this), m_editRecipeName);
    header->addRow(Buddy(QStringLiteral("Recipe &ID"), m_editRecipeID, this), m_editRecipeID);
    header->addRow(Buddy(QStringLiteral("Recipe &Category"), m_comboCategory, this), m_comboCategory);
    return header;
}

// Sell price and desired food cost are typed; the other figures are computed.
QWidget* CRecipeDlg::BuildCostBlock() {
    auto readOnly = [this] {
        auto* e = new QLineEdit(this);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        e->setFocusPolicy(Qt::ClickFocus);
        return e;
    };
    auto* cost = new QGroupBox(QStringLiteral("Cost Data"), this);
    m_editSellPrice = new CFloatEdit(cost);
    m_editSellPrice->SetDecimals(2);
    m_editSellPrice->setAlignment(Qt::AlignRight);
    m_editCost = readOnly();
    m_editProfit = readOnly();
    m_editTotalFC = readOnly();
    m_editDesiredFC = new QLineEdit(cost);
    m_editDesiredFC->setAlignment(Qt::AlignRight);
    m_editSuggested = readOnly();
    // Room for a six-figure amount in every figure of the block, whatever the window's width.
    const int figureWidth = fontMetrics().horizontalAdvance(QStringLiteral("-000,000.00")) + 12;
    for (QLineEdit* e : {static_cast<QLineEdit*>(m_editSellPrice), m_editCost, m_editProfit, m_editTotalFC,
                         m_editDesiredFC, m_editSuggested})
        e->setMinimumWidth(figureWidth);
    auto* costGrid = new QGridLayout(cost);
    costGrid->addWidget(Buddy(QStringLiteral("&Sell Price"), m_editSellPrice, cost), 0, 0);
    costGrid->addWidget(m_editSellPrice, 0, 1);
    costGrid->addWidget(Buddy(QStringLiteral("Cost"), m_editCost, cost), 1, 0);
    costGrid->addWidget(m_editCost, 1, 1);
    costGrid->addWidget(Buddy(QStringLiteral("Profit $"), m_editProfit, cost), 2, 0);
    costGrid->addWidget(m_editProfit, 2, 1);
    costGrid->addWidget(Buddy(QStringLiteral("Total FC %"), m_editTotalFC, cost), 0, 2);
    costGrid->addWidget(m_editTotalFC, 0, 3);
    costGrid->addWidget(Buddy(QStringLiteral("&Desired Food Cost %"), m_editDesiredFC, cost), 1, 2);
    costGrid->addWidget(m_editDesiredFC, 1, 3);
    costGrid->addWidget(Buddy(QStringLiteral("Suggested Sell Price"), m_editSuggested, cost), 2, 2);
    costGrid->addWidget(m_editSuggested, 2, 3);
    return cost;
}

// Hidden order group, never shown.
void CRecipeDlg::BuildOrderGroup() {
    m_groupOrder = new QGroupBox(QStringLiteral("Order"), this);
    m_editServings = new QLineEdit(m_groupOrder);
    auto* generate = new QPushButton(QStringLiteral("Generate Order"), m_groupOrder);
    auto* orderLayout = new QHBoxLayout(m_groupOrder);
    orderLayout->addWidget(Buddy(QStringLiteral("Number of servings:"), m_editServings, m_groupOrder));
    orderLayout->addWidget(m_editServings);
    orderLayout->addWidget(generate);
    m_groupOrder->hide();
    connect(generate, &QPushButton::clicked, this,
            [this] { QMessageBox::information(this, kr::str::kRecipeCaption, kr::str::kNotYetImplemented); });
}

// The recipe's commands in three columns, Quit on the right over the whole height.
QLayout* CRecipeDlg::BuildCommands() {
    QPushButton* add = MakeButton(kr::str::kAddIngredient);
    QPushButton* del = MakeButton(kr::str::kDeleteIngredient);
    QPushButton* info = MakeButton(kr::str::kItemInfo);
    QPushButton* save = MakeButton(kr::str::kSaveRecipe);
    QPushButton* copy = MakeButton(kr::str::kCopyTo);
    QPushButton* print = MakeButton(kr::str::kPrint);
    QPushButton* newRecipe = MakeButton(kr::str::kNewRecipeButton);
    QPushButton* exportTo = MakeButton(kr::str::kExportTo);
    QPushButton* chart = MakeButton(kr::str::kConversionChart);
    QPushButton* quit = MakeButton(kr::str::kQuit);
    auto* commands = new QGridLayout;
    QPushButton* order[] = {add, save, newRecipe, del, copy, exportTo, info, print, chart};
    for (int i = 0; i < 9; ++i)
        commands->addWidget(order[i], i % 3, i / 3);
    commands->addWidget(quit, 0, 3, 3, 1);
    quit->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    return commands;
}

// Keyboard order: header, cost block, grid, notes; the commands follow in their own order.
void CRecipeDlg::SetKeyboardOrder() {
    setTabOrder(m_editRecipeName, m_editRecipeID);
    setTabOrder(m_editRecipeID, m_comboCategory);
    setTabOrder(m_comboCategory, m_editSellPrice);
    setTabOrder(m_editSellPrice, m_editDesiredFC);
    setTabOrder(m_editDesiredFC, m_listMenu);
    setTabOrder(m_listMenu, m_editNotes);
}

void CRecipeDlg::ConnectCommands() {
    const std::pair<const QString&, void (CRecipeDlg::*)()> commands[] = {
        {kr::str::kAddIngredient, &CRecipeDlg::OnAddIngredient},
        {kr::str::kDeleteIngredient, &CRecipeDlg::OnDeleteIngredient},
        {kr::str::kItemInfo, &CRecipeDlg::OnItemInfo},
        {kr::str::kSaveRecipe, &CRecipeDlg::OnSaveRecipe},
        {kr::str::kCopyTo, &CRecipeDlg::OnCopyTo},
        {kr::str::kPrint, &CRecipeDlg::OnPrint},
        {kr::str::kNewRecipeButton, &CRecipeDlg::OnNewRecipe},
        {kr::str::kExportTo, &CRecipeDlg::OnExportTo},
        {kr::str::kConversionChart, &CRecipeDlg::OnConversionChart},
        {kr::str::kQuit, &CRecipeDlg::reject},
        {kr::str::kNewCustomer, &CRecipeDlg::OnNewCustomer},
        {kr::str::kAboutRecipe, &CRecipeDlg::OnAbout},
    };
    // The keyboard goes through the commands in this order, after the notes.
    QWidget* previous = m_editNotes;
    for (const auto& [caption, slot] : commands) {
        QPushButton* button = Button(caption);
        connect(button, &QPushButton::clicked, this, slot);
        setTabOrder(previous, button);
        previous = button;
    }
    connect(m_listMenu, &CMenuListCtrl::Recalc, this, &CRecipeDlg::OnRecalc);

    // Header fields typed by the user are changes of the recipe too.
    for (QLineEdit* e : {m_editRecipeName, m_editRecipeID})
        connect(e, &QLineEdit::textEdited, this, [this] { m_bModified = true; });
    connect(m_editNotes, &QPlainTextEdit::textChanged, this, &CRecipeDlg::OnNotesChanged);

    m_editSellPrice->installEventFilter(this);
    m_editDesiredFC->installEventFilter(this);
    m_comboCategory->installEventFilter(this);
}

void CRecipeDlg::BuildControls() {
    setWindowTitle(kr::str::kRecipeCaption);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);

    QLayout* customer = BuildCustomerBlock();
    QLayout* header = BuildHeaderFields();
    QWidget* cost = BuildCostBlock();
    BuildOrderGroup();
    m_listMenu = new CMenuListCtrl(this);
    m_listMenu->setAccessibleName(QStringLiteral("Ingredients"));
    m_editNotes = new QPlainTextEdit(this);
    m_editNotes->setTabChangesFocus(true);
    QLabel* notesLabel = Buddy(QStringLiteral("N&otes"), m_editNotes, this);
    QLayout* commands = BuildCommands();

    auto* top = new QHBoxLayout;
    top->addLayout(customer, 3);
    top->addLayout(header, 3);
    top->addWidget(cost, 4);
    auto* bottom = new QHBoxLayout;
    auto* notesBox = new QVBoxLayout;
    notesBox->addWidget(notesLabel);
    notesBox->addWidget(m_editNotes);
    bottom->addLayout(notesBox, 1);
    bottom->addLayout(commands);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_listMenu, 1);
    layout->addLayout(bottom);
    layout->addWidget(m_groupOrder);
    m_editNotes->setMaximumHeight(m_editNotes->fontMetrics().lineSpacing() * 5 + 12);

    SetKeyboardOrder();
    ConnectCommands();
    SetupGrid();
    resize(940, 520);
}

void CRecipeDlg::SetupGrid() {
    struct Col {
        const char* title;
        int format;
        int width;
    };
    static const Col cols[] = {
        {"Item", LVCFMT_LEFT, 80},         {"Unit", LVCFMT_LEFT, 35},       {"Description", LVCFMT_LEFT, 240},
        {"Brand", LVCFMT_LEFT, 75},        {"Item Cost", LVCFMT_RIGHT, 70}, {"Ptn/Item", LVCFMT_RIGHT, 70},
        {"Ptn Cost", LVCFMT_RIGHT, 70},    {"Ptn Type", LVCFMT_RIGHT, 70},  {"Ptns", LVCFMT_RIGHT, 45},
        {"Recipe Cost", LVCFMT_RIGHT, 80}, {"FC %", LVCFMT_RIGHT, 65}};
    int i = 0;
    for (const Col& c : cols)
        m_listMenu->AddColumn(i++, QString::fromLatin1(c.title), c.format, c.width);
    m_listMenu->SetGridLines(true);
    m_listMenu->SetSingleSelection(true);
    m_listMenu->SetEditLabels(true);
    m_listMenu->SetColumnEditKind(CMenuListCtrl::kColUnit, CColumnStatus::FreeText);
    m_listMenu->SetColumnEditKind(CMenuListCtrl::kColDescription, CColumnStatus::FreeText);
    m_listMenu->SetColumnEditKind(CMenuListCtrl::kColItemCost, CColumnStatus::RealText);
    m_listMenu->SetColumnEditKind(CMenuListCtrl::kColPtnPerItem, CColumnStatus::RealText);
    m_listMenu->SetColumnEditKind(CMenuListCtrl::kColPtns, CColumnStatus::RealText);
}

QPushButton* CRecipeDlg::Button(const QString& caption) const {
    for (QPushButton* b : m_arrButtons)
        if (b->text() == caption) return b;
    return nullptr;
}

QString CRecipeDlg::CostText() const {
    return m_strCost;
}
QString CRecipeDlg::ProfitText() const {
    return m_strProfit;
}
QString CRecipeDlg::TotalFCText() const {
    return m_strTotalFC;
}
QString CRecipeDlg::SuggestedPriceText() const {
    return m_strSuggestedPrice;
}

void CRecipeDlg::UpdateData(bool save) {
    if (save) {
        m_strRecipeName = m_editRecipeName->text();
        m_strRecipeID = m_editRecipeID->text();
        m_strNotes = StoredNotes(m_editNotes->toPlainText());
        if (IsValidAmount(m_editSellPrice->GetValue())) m_dSellPrice = m_editSellPrice->GetValue();
        bool ok = false;
        const double desired = m_editDesiredFC->text().trimmed().toDouble(&ok);
        if (m_editDesiredFC->text().trimmed().isEmpty())
            m_dDesiredFC = 0;
        else if (ok && IsValidPortions(desired))
            m_dDesiredFC = desired;
        return;
    }
    m_editCustomerInfo->setPlainText(
        QString(m_strCustomerInfo).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_editRecipeName->setText(m_strRecipeName);
    m_editRecipeID->setText(m_strRecipeID);
    if (m_editNotes->toPlainText() != ShownNotes(m_strNotes)) {
        m_bRestoringNotes = true;
        m_editNotes->setPlainText(ShownNotes(m_strNotes));
        m_bRestoringNotes = false;
    }
    m_strLastGoodNotes = ShownNotes(m_strNotes);
    m_editSellPrice->SetValue(m_dSellPrice);
    m_editDesiredFC->setText(FormatDesired(m_dDesiredFC));
    m_editCost->setText(m_strCost);
    m_editProfit->setText(m_strProfit);
    m_editTotalFC->setText(m_strTotalFC);
    m_editSuggested->setText(m_strSuggestedPrice);
}

// ---- start ----

void CRecipeDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (m_bInitDone) return;
    m_bInitDone = true;
    if (!OnInitDialog()) QTimer::singleShot(0, this, [this] { QDialog::reject(); });
}

bool CRecipeDlg::OnInitDialog() {
    m_dSellPrice = 0;
    m_dDesiredFC = 0;
    m_listMenu->InitPortionTypes();
    m_listMenu->SetTextBkColor(QColor(217, 245, 245));
    if (!LoadCustomer()) return false;
    LoadRecipe(m_strCustomer);
    m_editSellPrice->SetDecimals(2);
    m_listMenu->SetSellPrice(m_dSellPrice);
    UpdateData(false);
    m_listMenu->setFocus();
    return true;
}

bool CRecipeDlg::LoadCustomer() {
    CCustomerDB customers;
    int st = customers.OpenFile();
    CCustomer customer;
    if (st == 0) st = customers.GetRecord(customer, m_strCustomer);
    customers.Close();
    if (st != 0) {
        if (st != kNotFound) ReportUnreadable("CUST.DB", st);
        m_strCustomerInfo = kr::str::kNoCustomerSelected;
        UpdateData(false);
        QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kSelectValidCustomer);
        EnableButtons();
        return false;
    }
    m_strCustomerInfo = Q(customer.m_strNumber) + QStringLiteral(" - ") + Q(customer.m_strName) +
                        QStringLiteral("\r\n") + Q(customer.m_arrAddress[0]) + QStringLiteral("\r\n") +
                        Q(customer.m_strCity) + QLatin1Char(' ') + Q(customer.m_strState) + QLatin1Char(' ') +
                        Q(customer.m_strPostal);
    m_listMenu->SetCustomer(m_strCustomer);

    m_arrCategoryIds.clear();
    m_comboCategory->clear();
    CMenuCategoryDB categories;
    st = categories.OpenFile();
    CMenuCategory category;
    if (st == 0) st = categories.FindFirstCategory(category, m_strCustomer);
    while (st == 0 && category.m_cRecordType == 'C' &&
           TrimRight(category.m_strCustomer) == TrimRight(m_strCustomer)) {
        const QString name = Q(category.m_strName);
        int pos = 0; // the combo keeps its entries sorted
        while (pos < m_comboCategory->count() &&
               QString::compare(m_comboCategory->itemText(pos), name, Qt::CaseInsensitive) <= 0)
            ++pos;
        m_comboCategory->insertItem(pos, name, int(m_arrCategoryIds.size()));
        m_arrCategoryIds.push_back(category.m_strCategoryKey);
        st = categories.FindNextCategory(category);
    }
    if (st != 0 && st != kNotFound && st != kEndOfFile) ReportUnreadable("MenuCategory.DB", st);
    m_comboCategory->setCurrentIndex(-1);
    EnableButtons();
    UpdateData(false);
    return true;
}

void CRecipeDlg::EnableButtons() {
    const bool on = !Trim(m_strCustomer).empty();
    for (const QString& caption : {kr::str::kAddIngredient, kr::str::kSaveRecipe, kr::str::kPrint,
                                   kr::str::kCopyTo, kr::str::kNewRecipeButton})
        if (QPushButton* b = Button(caption)) b->setEnabled(on);
}

bool CRecipeDlg::SelectRecipe(const std::string& customer, std::string* key) {
    CRecipeSelect select(customer, this);
    if (select.exec() != QDialog::Accepted) return false;
    *key = select.GetRecipeKey();
    return true;
}

void CRecipeDlg::SelectCategory(const std::string& id) {
    for (size_t i = 0; i < m_arrCategoryIds.size(); ++i) {
        if (TrimRight(m_arrCategoryIds[i]) != TrimRight(id)) continue;
        const int entry = m_comboCategory->findData(int(i));
        m_comboCategory->setCurrentIndex(entry);
        return;
    }
    m_comboCategory->setCurrentIndex(-1);
    m_comboCategory->setEditText(QString());
}

void CRecipeDlg::LoadRecipe(const std::string& customer) {
    m_strRecipeKey.clear();
    {
        CMenuHdrDB headers;
        int st = headers.OpenFile();
        CMenuHdr first;
        if (st == 0) st = headers.FindFirstRecipe(first, customer);
        headers.Close();
        if (st == 0) {
            std::string key;
            if (SelectRecipe(customer, &key)) m_strRecipeKey = TrimRight(key);
        } else if (st != kNotFound && st != kEndOfFile) {
            ReportUnreadable("MENUHDR.DB", st);
        }
    }

    CRecipe recipe;
    const int st = m_strRecipeKey.empty() ? kNotFound : recipe.Load(m_strRecipeKey);
    if (st != 0) {
        if (st != kNotFound) ReportUnreadable("MENUHDR.DB / MENUITEM.DB", st);
        m_strRecipeKey.clear();
        m_strNotes.clear();
        m_strRecipeName = kr::str::kNewRecipe;
        m_strRecipeID.clear();
        m_dSellPrice = 0;
    } else {
        m_strRecipeName = Q(recipe.m_hdr.m_strRecipeName);
        m_strRecipeID = Q(recipe.m_hdr.m_strRecipeID);
        m_dSellPrice = recipe.m_hdr.m_dSellPrice;
        m_dDesiredFC = recipe.m_hdr.m_dDesiredFC;
        m_strNotes = Q(recipe.m_hdr.m_strNotes);
        m_strCategory = recipe.m_hdr.m_strCategoryKey;
        SelectCategory(m_strCategory);
        m_listMenu->setUpdatesEnabled(false);
        for (const CMenuItem& line : recipe.m_arrLines)
            m_listMenu->AddLine(line.m_strItem, line.m_strUnit, line.m_strDescription, line.m_dItemCost,
                                line.m_dPtnPerItem, line.m_strPtnType, line.m_dPtns);
        m_listMenu->setUpdatesEnabled(true);
        m_listMenu->ReportLookupFailure();
    }
    m_listMenu->ColourRows();
    m_listMenu->SetSellPrice(m_dSellPrice);
    m_listMenu->SetCustomer(m_strCustomer);
    UpdateData(false);
    RecalcTotals();
    m_bModified = false;
}

// ---- save and close ----

int CRecipeDlg::WriteRecipe(const std::string& customer, const std::string& key, bool copy,
                            std::string* savedKey) {
    UpdateData(true);
    CRecipe recipe;
    recipe.m_hdr.m_strRecipeName = S(m_strRecipeName);
    recipe.m_hdr.m_strRecipeID = S(m_strRecipeID);
    recipe.m_hdr.m_dSellPrice = m_dSellPrice;
    recipe.m_hdr.m_dDesiredFC = m_dDesiredFC;
    recipe.m_hdr.m_strNotes = S(m_strNotes);
    recipe.m_hdr.m_strCategoryKey = m_strCategory;
    recipe.m_arrLines.reserve(size_t(m_listMenu->GetItemCount()));
    for (int row = 0; row < m_listMenu->GetItemCount(); ++row) {
        CMenuItemDetail line;
        if (m_listMenu->GetLine(row, line)) recipe.m_arrLines.push_back(StoredLine(line, {}));
    }
    return recipe.Save(customer, key, copy, savedKey);
}

bool CRecipeDlg::SaveRecipe(const std::string& customer, const std::string& key, bool copy) {
    std::string saved;
    if (const int status = WriteRecipe(customer, key, copy, &saved); status != 0) {
        ShowStatusMessage(this, QMessageBox::Critical, kr::str::kRecipeCaption, kr::str::kErrorSaving,
                          status);
        return false;
    }
    if (!copy) m_strRecipeKey = saved;
    m_bModified = false;
    QMessageBox::information(this, kr::str::kRecipeCaption, kr::str::kRecipeSaved);
    return true;
}

bool CRecipeDlg::CloseRecipe() {
    if (m_bModified) {
        const auto answer = QMessageBox::question(this, kr::str::kRecipeCaption, kr::str::kSaveModified,
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton) return false;
        // A save that failed keeps the recipe on the screen rather than losing the changes.
        if (answer == QMessageBox::Yes && !SaveRecipe(m_strCustomer, m_strRecipeKey, false)) return false;
    }
    m_listMenu->ClearLines();
    m_strRecipeKey.clear();
    m_strNotes.clear();
    m_strRecipeName.clear();
    m_strRecipeID.clear();
    m_dSellPrice = 0;
    m_dDesiredFC = 0;
    m_listMenu->SetSellPrice(0);
    RecalcTotals();
    UpdateData(false);
    return true;
}

void CRecipeDlg::RecalcTotals() {
    UpdateData(true);
    const RecipeTotals t = ComputeTotals(m_listMenu->GetTotal(), m_dSellPrice, m_dDesiredFC);
    m_strCost = Q(t.RecipeCostText());
    m_strProfit = Q(t.ProfitText());
    m_strTotalFC = Q(t.FoodCostPercentText());
    m_strSuggestedPrice = Q(t.SuggestedPriceText());
    m_editCost->setText(m_strCost);
    m_editProfit->setText(m_strProfit);
    m_editTotalFC->setText(m_strTotalFC);
    m_editSuggested->setText(m_strSuggestedPrice);
}

int CRecipeDlg::OnRecalc(int userChange) {
    RecalcTotals();
    if (userChange == 1) m_bModified = true;
    return 1;
}

// ---- commands ----

void CRecipeDlg::OnAddIngredient() {
    const int row = m_listMenu->AddLine("", "", "New Item", 0, 0, "", 1);
    if (row < 0) return;
    m_listMenu->SetRowBkColor(row, CMenuListCtrl::RowColour(row), false);
    m_listMenu->SetRowStyle(row, kStyleBkColor);
    m_listMenu->setFocus();
    m_listMenu->SelectRow(row);
    m_listMenu->SetFocusedRow(row);
    m_listMenu->EditLabel(row);
    m_bModified = true;
    RecalcTotals();
}

void CRecipeDlg::OnDeleteIngredient() {
    if (!m_listMenu->DeleteSelectedLine()) {
        QApplication::beep();
        return;
    }
    m_bModified = true;
    m_listMenu->ColourRows();
    RecalcTotals();
}

void CRecipeDlg::OnItemInfo() {
    CMenuItemDetail line;
    if (!m_listMenu->GetSelectedLine(line) || !line.IsFromItemMaster()) {
        QApplication::beep();
        return;
    }
    DispItemInfo(line.m_strItem.c_str(), m_strCustomer.c_str(), this, this);
}

void CRecipeDlg::OnSaveRecipe() {
    if (m_listMenu->GetItemCount() == 0) {
        QMessageBox::information(this, kr::str::kRecipeCaption, kr::str::kNoItems);
        return;
    }
    SaveRecipe(m_strCustomer, m_strRecipeKey, false);
}

void CRecipeDlg::OnNewRecipe() {
    if (CloseRecipe()) LoadRecipe(m_strCustomer);
}

void CRecipeDlg::OnNewCustomer() {
    UpdateData(true);
    if (CloseRecipe()) {
        char buffer[16] = {};
        if (SelectCust(0, "Recipe", buffer, 0, this) == 1 && CustomerExists(buffer)) {
            m_strCustomer = buffer;
            LoadCustomer();
            m_listMenu->ClearLines();
            LoadRecipe(m_strCustomer);
        }
    }
    UpdateData(false);
    m_listMenu->SetCustomer(m_strCustomer);
}

CRecipePrintTexts CRecipeDlg::PrintTexts() const {
    CRecipePrintTexts texts;
    texts.m_strCustomer = m_strCustomerInfo;
    texts.m_strRecipeName = m_strRecipeName;
    texts.m_dSellPrice = m_dSellPrice;
    texts.m_strCost = CostText();
    texts.m_strProfit = ProfitText();
    texts.m_strTotalFC = TotalFCText();
    texts.m_strNotes = m_strNotes;
    return texts;
}

void CRecipeDlg::OnPrint() {
    UpdateData(true);
    // What is printed is what is stored: an unsaved recipe is saved first, or not printed.
    if (!SaveBeforeUse(kr::str::kSaveBeforePrint)) return;
    PrintRecipe(m_listMenu, PrintTexts(), this);
}

void CRecipeDlg::OnAbout() {
    emit aboutRequested();
}

void CRecipeDlg::reject() {
    if (CloseRecipe()) QDialog::reject();
}

void CRecipeDlg::accept() {}

void CRecipeDlg::closeEvent(QCloseEvent* e) {
    if (CloseRecipe()) {
        QDialog::reject();
        e->accept();
    } else {
        e->ignore();
    }
}

void CRecipeDlg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<QPushButton*>(focusWidget())) b->click();
        return; // the dialog's default action does nothing
    }
    QDialog::keyPressEvent(e);
}

// ---- fields losing the focus ----

bool CRecipeDlg::eventFilter(QObject* watched, QEvent* event) {
    // The user moving on, not a drop-down opening or another window coming to the front.
    const auto leaving = [event] {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
    };
    if (event->type() == QEvent::FocusOut && leaving()) {
        if (watched == m_editSellPrice)
            OnSellPriceKillFocus();
        else if (watched == m_editDesiredFC)
            OnDesiredFCKillFocus();
        else if (watched == m_comboCategory)
            OnCategoryKillFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void CRecipeDlg::OnSellPriceKillFocus() {
    const double value = m_editSellPrice->GetValue();
    if (!IsValidAmount(value)) {
        QMessageBox::warning(
            this, kr::str::kRecipeCaption,
            kr::str::kInvalidNumber.arg(m_editSellPrice->text(), QStringLiteral("Sell Price")));
        m_editSellPrice->SetValue(m_dSellPrice);
        return;
    }
    if (value != m_dSellPrice) m_bModified = true;
    m_dSellPrice = value;
    m_listMenu->SetSellPrice(m_dSellPrice);
    RecalcTotals();
}

void CRecipeDlg::OnDesiredFCKillFocus() {
    const QString text = m_editDesiredFC->text().trimmed();
    bool ok = text.isEmpty();
    const double value = ok ? 0.0 : text.toDouble(&ok);
    if (!ok || !IsValidPortions(value)) {
        QMessageBox::warning(
            this, kr::str::kRecipeCaption,
            kr::str::kInvalidNumber.arg(m_editDesiredFC->text(), QStringLiteral("Desired Food Cost %")));
        m_editDesiredFC->setText(FormatDesired(m_dDesiredFC));
        return;
    }
    if (value != m_dDesiredFC) m_bModified = true;
    RecalcTotals();
}

void CRecipeDlg::OnCategoryKillFocus() {
    const std::string name = UpperAscii(S(m_comboCategory->currentText()));
    if (Trim(name).empty()) return;
    const int entry = m_comboCategory->findText(Q(name), Qt::MatchFixedString);
    if (entry >= 0) {
        const int pos = m_comboCategory->itemData(entry).toInt();
        if (pos >= 0 && pos < int(m_arrCategoryIds.size()) &&
            m_arrCategoryIds[size_t(pos)] != m_strCategory) {
            m_strCategory = m_arrCategoryIds[size_t(pos)];
            m_bModified = true;
        }
        return;
    }
    if (QMessageBox::question(this, kr::str::kRecipeCaption, kr::str::kCreateCategory.arg(Q(name)),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        QTimer::singleShot(0, m_comboCategory, [this] { m_comboCategory->setFocus(); });
        return;
    }
    int st = 0;
    CMenuCategory category;
    category.m_cRecordType = 'C';
    category.m_strCustomer = m_strCustomer;
    category.m_strName = name;
    category.m_strCategoryKey = FreeCategoryKey(std::time(nullptr), {}, &st);
    CMenuCategoryDB categories;
    if (st == 0) st = categories.OpenFile();
    if (st == 0) {
        st = categories.UpdateRecord(category);
        if (st == kNotFound) st = categories.InsertRecord(category);
    }
    if (st != 0) {
        ReportUnreadable("MenuCategory.DB", st);
        return;
    }
    // The recipe takes the category the user just created.
    const int pos = int(m_arrCategoryIds.size());
    m_arrCategoryIds.push_back(category.m_strCategoryKey);
    int at = 0;
    while (at < m_comboCategory->count() &&
           QString::compare(m_comboCategory->itemText(at), Q(name), Qt::CaseInsensitive) <= 0)
        ++at;
    m_comboCategory->insertItem(at, Q(name), pos);
    m_comboCategory->setCurrentIndex(at);
    m_strCategory = category.m_strCategoryKey;
    m_bModified = true;
}

void CRecipeDlg::OnNotesChanged() {
    if (m_bRestoringNotes) return;
    const QString text = m_editNotes->toPlainText();
    if (StoredNotes(text).size() > int(CMenuHdr::kMaxNotes) || !IsCp1252(text)) {
        // Refused as typed or pasted: the notes stay as they were.
        m_bRestoringNotes = true;
        QTextCursor cursor = m_editNotes->textCursor();
        const int position = cursor.position();
        m_editNotes->setPlainText(m_strLastGoodNotes);
        cursor = m_editNotes->textCursor();
        cursor.setPosition(std::min<int>(position, int(m_strLastGoodNotes.size())));
        m_editNotes->setTextCursor(cursor);
        m_bRestoringNotes = false;
        QApplication::beep();
        return;
    }
    m_strLastGoodNotes = text;
    m_bModified = true;
}
