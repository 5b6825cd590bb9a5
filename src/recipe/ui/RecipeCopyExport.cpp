// The editor's "Copy To ...", "Export To ..." and "Conversion Chart" commands.
#include "CConvertionInfoDlg.h"
#include "CRecipeDlg.h"
#include "Display.h"
#include "RecipeExport.h"
#include "StatusMessage.h"
#include "Strings.h"
#include "Text1252.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// The customer number as the recipe files take it from the picker: at most 6 characters,
// blank-filled to 6.
std::string CopyTarget(const char* chosen) {
    std::string target(chosen);
    target.resize(6, ' ');
    return target;
}

// The save-file dialog may move about the folders; record files are opened by bare name in the
// database directory, so it is put back whatever the dialog did.
class KeepCurrentDirectory {
public:
    KeepCurrentDirectory() { m_path = std::filesystem::current_path(m_ec); }
    ~KeepCurrentDirectory() { Restore(); }
    KeepCurrentDirectory(const KeepCurrentDirectory&) = delete;
    KeepCurrentDirectory& operator=(const KeepCurrentDirectory&) = delete;
    void Restore() {
        if (m_ec) return;
        std::error_code ec;
        std::filesystem::current_path(m_path, ec);
    }

private:
    std::filesystem::path m_path;
    std::error_code m_ec;
};

} // namespace

bool CRecipeDlg::SaveBeforeUse(const QString& question) {
    if (!m_bModified) return true;
    if (QMessageBox::question(this, kr::str::kRecipeCaption, question, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return false;
    if (m_bModified) OnSaveRecipe();
    // A save that failed (or was refused) has told the user why; copying or exporting something
    // other than what is on the screen would mislead.
    return !m_bModified;
}

void CRecipeDlg::OnCopyTo() {
    UpdateData(true);
    if (!SaveBeforeUse(kr::str::kSaveBeforeCopy)) return;
    char chosen[16] = {};
    if (SelectCust(0, "Recipe", chosen, 0, this) != 1) return;
    chosen[sizeof chosen - 1] = '\0';
    const std::string target = CopyTarget(chosen);
    const QString description =
        kr::str::kRecipeCopyDescription.arg(m_strRecipeName, FromCp1252(m_strCustomer));
    if (QMessageBox::question(this, kr::str::kRecipeCaption,
                              kr::str::kConfirmCopy.arg(description, FromCp1252(target)),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // A new key for the target; the recipe on the screen keeps its own customer and key.
    SaveRecipe(target, std::string(), true);
}

void CRecipeDlg::OnExportTo() {
    UpdateData(true);
    // The question speaks of copying: it is the one the export has always asked.
    if (!SaveBeforeUse(kr::str::kSaveBeforeCopy)) return;

    QString path;
    {
        KeepCurrentDirectory keep;
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        dialog.setNameFilters({kr::str::kExportFilterText, kr::str::kExportFilterAll});
        dialog.selectFile(kr::str::kExportDefaultName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        path = dialog.selectedFiles().constFirst();
    }

    const RecipeExportResult result =
        ExportRecipe(std::string(), m_strRecipeKey, QFile::encodeName(path).toStdString());
    const QString shown = QDir::toNativeSeparators(path);
    if (!result.fileOpened) {
        QMessageBox::warning(this, kr::str::kRecipeCaption, kr::str::kExportOpenFailed);
        QMessageBox::information(this, kr::str::kRecipeCaption, kr::str::kExported.arg(0).arg(shown));
        return;
    }
    if (!result.Succeeded()) {
        const int code = result.status != 0 ? result.status : result.writeError;
        // A record manager status, or the system's error number of a write that failed.
        const QString detail = result.status != 0 ? StatusDetail(result.status)
                                                  : QString::fromLocal8Bit(std::strerror(result.writeError));
        ShowDetailedMessage(this, QMessageBox::Warning, kr::str::kRecipeCaption,
                            kr::str::kExportFailed.arg(shown).arg(code).arg(result.lines), detail);
        return;
    }
    QMessageBox::information(this, kr::str::kRecipeCaption, kr::str::kExported.arg(result.lines).arg(shown));
}

void CRecipeDlg::OnConversionChart() {
    CConvertionInfoDlg chart(this);
    chart.exec();
}
