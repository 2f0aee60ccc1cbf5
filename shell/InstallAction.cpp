// "Install >>": installs the package with the options ticked on the page, the progress bar
// stepping with each option applied; then the button reads "Done" and closes the page.
#include "engine/InstallSteps.h"
#include "shell/MainDialog.h"

#include <algorithm>
#include <vector>

void MainDialog::OnInstall()
{
    if (m_installed) {
        EndDialog(IDOK);
        return;
    }
    m_installButton.EnableWindow(FALSE);

    const ConfigOptionList options = m_config.getOptions();
    const std::size_t count = std::min(options.size(), m_optionChecks.size());
    std::vector<bool> ticked(count);
    short tickedCount = 0;
    for (std::size_t i = 0; i < count; ++i) {
        ticked[i] = m_optionChecks[i]->GetCheck() == BST_CHECKED;
        if (ticked[i])
            ++tickedCount;
    }
    m_progress.SetRange(0, tickedCount);
    m_progress.SetStep(1);

    if (!InstallPackage(m_config, ticked, CurrentDirectoryTexts(), [this](std::size_t, bool applied) {
            if (applied)
                m_progress.StepIt();
        })) {
        m_progress.SetPos(0);
        m_installButton.EnableWindow(TRUE);
        return;
    }
    m_installButton.SetWindowTextA("Done");
    m_installButton.EnableWindow(TRUE);
    m_installed = true;
}
