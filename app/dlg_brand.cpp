// Brand files from the system menu: applying one to the selected target, as the console
// program does, and saving the dialog's own brand as one.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "commands/brand_command.h"
#include "commands/brand_file.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "text/blanks.h"
#include "win/wait_cursor.h"
#include "messages/messages.h"

namespace {

// Gathers a brand's messages into one text, each step's led by its name, for one message box
// at the end. The user is asked about files that another program changed meanwhile.
class CollectingHost : public app::CommandHost {
public:
    CollectingHost(std::function<bool(const std::u16string&)> confirm,
                   std::function<void()> originalKept)
        : confirm_(std::move(confirm)), originalKept_(std::move(originalKept)) {}

    bool ConfirmOverwrite(const std::u16string& path) override { return confirm_(path); }
    void StepStarted(const std::u16string& command) override { step_ = command; }
    const std::u16string& Text() const { return text_; }

protected:
    void Show(const std::u16string& text) override {
        if (!text_.empty()) {
            text_ += u"\r\n";
        }
        if (!step_.empty() && step_ != shownStep_) {
            if (!text_.empty()) {
                text_ += u"\r\n";
            }
            text_ += msg::StepHeading(step_) + u"\r\n";
            shownStep_ = step_;
        }
        text_ += text;
    }
    void OriginalKept() override { originalKept_(); }

private:
    std::function<bool(const std::u16string&)> confirm_;
    std::function<void()> originalKept_;
    std::u16string step_;
    std::u16string shownStep_;
    std::u16string text_;
};

// A picture's path as a brand file holds it: as the rebrand command takes it (trimmed), and
// full, so that the file does not depend on the folder it is read from.
std::u16string BrandPath(const std::u16string& field) {
    const std::u16string path = text::TrimBlanks(field);
    return path.empty() ? path : platform::FullPath(path);
}

}  // namespace

void CVedArodDlg::OnApplyBrandFile() {
    CommitCellEdit();
    win::OpenFileRequest request;
    request.defaultExtension = u"ini";
    request.filter = msg::kBrandFileFilter;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    std::u16string path;
    if (!prompts_.OpenFile(hwnd_, request, path)) {
        return;
    }
    if (m_langTable.HasUnsavedEdits() && !prompts_.AskYesNo(hwnd_, msg::kUnsavedEditsBeforeBrand)) {
        return;
    }
    CollectingHost host([this](const std::u16string& file) { return ConfirmOverwrite(file); },
                        [this] { UpdateRestoreMenuItem(); });
    brand::BrandCommand command;  // holds the install from Prepare to its end
    brand::BrandCommand::Prepared prepared;
    {
        win::WaitCursor wait;
        prepared =
            command.Prepare(path, m_strExePath, brand::BrandCommand::Purpose::kShowAndRun, host);
    }
    switch (prepared) {
        case brand::BrandCommand::Prepared::kBusy:
            Message(host.Text());
            return;
        case brand::BrandCommand::Prepared::kRefused:
            Message(msg::BrandFileRefused(command.Problems()));
            return;
        case brand::BrandCommand::Prepared::kReady:
            break;
    }
    const std::vector<std::u16string> lines = command.PlanLines();
    if (lines.empty()) {
        Message(msg::kBrandChangesNothing);
        return;
    }
    if (!prompts_.AskYesNo(hwnd_, msg::ApplyBrandQuestion(lines))) {
        return;
    }

    win::WaitCursor wait;
    HideCellEditor();
    DropCachedProfiles();
    command.Run(host);
    // The fields the user typed stay; the target is shown as the brand left it.
    UpdateData(true);
    if (command.Brand().edition) {
        m_nEdition = static_cast<int>(*command.Brand().edition);
        if (install::IsV62(Edition())) {
            OnBnClickedEdition62();
        } else {
            OnBnClickedEditionSimpleStandard();
        }
    }
    ReloadTarget(command.ExePathAfterRun());
    Message(host.Text());
}

brand::BrandFile CVedArodDlg::BrandFromFields() {
    brand::BrandFile brand;
    brand.edition = Edition();
    if (CheckBox(IDC_CHECK_ICON).IsChecked()) {
        brand.icon = BrandPath(m_strIconPath);
    }
    if (CheckBox(IDC_CHECK_STARTUP_IMAGE).IsChecked()) {
        brand.startupImage = BrandPath(m_strStartupImagePath);
    }
    if (install::IsV62(Edition()) && CheckBox(IDC_CHECK_AD_IMAGE).IsChecked()) {
        brand.adImage = BrandPath(m_strAdImagePath);
    }
    brand.caption = m_strCaptionText;
    brand.documentName = m_strNewDocName;
    const std::u16string appName = text::TrimBlanks(m_strAppName);
    if (appName != m_strPickedExeName) {
        brand.appName = appName;
    }

    brand.company = m_strCompany;
    brand.phone = m_strPhone;
    brand.url = m_strUrl;
    if (!install::IsV62(Edition())) {
        brand.useFilePassword = CheckBox(IDC_CHECK_FILE_PASSWORD).IsChecked() ? 1 : 0;
        brand.filePassword = m_strFilePassword;
    }

    // One section per language file, its edited entries in ID order.
    std::map<int, brand::LangEdits> sections;
    for (const auto& [slot, id] : m_editedEntries) {
        const std::u16string& file = m_langTable.FileName(slot);
        const auto text = m_langTable.Entries(slot).Find(id);
        if (file.empty() || !text) {
            continue;
        }
        brand::LangEdits& edits = sections[slot];
        edits.file = file;
        edits.entries.push_back({id, std::u16string(*text), 0});
    }
    for (auto& [slot, edits] : sections) {
        brand.lang.push_back(std::move(edits));
    }
    return brand;
}

void CVedArodDlg::OnSaveBrandFile() {
    CommitCellEdit();
    UpdateData(true);
    const brand::BrandFile brand = BrandFromFields();
    win::OpenFileRequest request;
    request.defaultExtension = u"ini";
    request.filter = msg::kBrandFileFilter;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    std::u16string path;
    if (!prompts_.SaveFile(hwnd_, request, path)) {
        return;
    }
    win::WaitCursor wait;
    std::vector<std::u16string> unwritable;
    const std::string bytes = brand::FormatBrandFile(brand, unwritable);
    const platform::WriteResult written = platform::WriteFileSafely(path, bytes);
    if (!written.Written()) {
        Message(msg::WithWriteProblem(msg::BrandFileNotSaved(path), written, path));
        return;
    }
    std::u16string text = msg::BrandFileSaved(path);
    if (!unwritable.empty()) {
        text += u"\r\n" + msg::BrandValuesLeftOut(unwritable);
    }
    Message(text);
}
