// VedArodCmd's command host: every message of a command as lines of the standard output,
// each led by the command's name. Nobody can be asked, so a file that another program
// changed since it was read is never replaced.
#pragma once

#include <string>
#include <utility>

#include "commands/commands.h"

namespace app {

class ConsoleHost : public CommandHost {
public:
    void StepStarted(const std::u16string& command) override { command_ = command; }
    bool ConfirmOverwrite(const std::u16string& path) override;

protected:
    void Show(const std::u16string& text) override;

private:
    std::u16string command_;
};

}  // namespace app
