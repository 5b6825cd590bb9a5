// This program's application object: the base start-up, the recipe-side file check, then the
// recipe editor run modally with the command line as its customer number.
#pragma once

#include "CGenApp.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class CRecipeApp : public CGenApp {
    Q_OBJECT
public:
    // The recipe editor for a customer, with its About entry wired to the About box.
    static std::unique_ptr<QDialog> MakeEditor(const QString& customerNumber);

    CRecipeApp(int& argc, char** argv);

    // The whole run: returns false when the editor has closed, so the program ends.
    bool InitInstance() override;

    bool SuiteQuery1() override { return true; }
    bool SuiteQuery2() override { return true; }
    bool SuiteQuery3() override { return true; }
    void SuiteNotify(int, int, void*) override {}
    bool SuiteQuery4() override { return true; }

    // The arguments after the program's name, joined by blanks: the customer number.
    QString GetCommandLine() const { return m_strCommandLine; }
    void SetCommandLine(const QString& text) { m_strCommandLine = text; }

    // Whether the base start-up succeeded in the last run.
    bool GetStartupSucceeded() const { return m_bStartupSucceeded; }
    // The editor while it is shown.
    QDialog* GetMainDialog() const { return m_pMainDialog; }

protected:
    virtual std::unique_ptr<QDialog> CreateMainDialog(const QString& customerNumber);
    // Checks the recipe-side record files in the current directory; the first failing status.
    virtual int CheckFiles();

private:
    QString m_strCommandLine;
    QPointer<QDialog> m_pMainDialog;
    bool m_bStartupSucceeded = false;
};
