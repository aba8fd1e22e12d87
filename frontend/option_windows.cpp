// The option windows behind the main window's buttons.
#include "frontend/option_windows.h"

#include "frontend/main_mnu.h"
#include "frontend/opt_confirm.h"
#include "frontend/user_options.h"
#include "frontend/wiz_tag_opts.h"

namespace OptionWindows {

void install(TMainMnu& mainWindow) {
    TMainMnu::Windows& windows = mainWindow.windows();
    windows.compressionOptions = [](TMainMnu& window) {
        TWizTagOpts assistant(window.appContext(), &window);
        assistant.exec();
    };
    windows.userOptions = [](TMainMnu& window) {
        TUserOptions assistant(window.appContext(), &window);
        assistant.exec();
    };
    // The job goes on unless the confirmation set the cancel flag: "&Continue" and the
    // title-bar close box both let it start.
    windows.confirmCompress = [](TMainMnu& window) {
        bool cancelFlag = false;
        TOptconfirm confirmation(window.appContext(), cancelFlag, &window);
        confirmation.exec();
        return !cancelFlag;
    };
}

}  // namespace OptionWindows
