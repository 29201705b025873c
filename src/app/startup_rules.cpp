#include "app/startup_rules.h"
#include "util/ascii.h"

#include "app/app_texts.h"
#include "app/exit_codes.h"

namespace velumar::app {

std::string startupFailureText(ErrorCode code) {
    std::string text(texts::kInstallerCorrupted);
    text.append(texts::kCorvanaError).append(std::to_string(code)).append(texts::kCorruptedEnd);
    if (code == kInstallerDamaged) text.append(texts::kDownloadAgain);
    return text;
}

int installerExitCode(ErrorCode startupCode, bool installed, ErrorCode installResult) noexcept {
    if (installed) return kExitInstalled;
    if (startupCode == kInstallerDamaged) return kExitDamaged;
    if (startupCode == kFlashStepCancelled) return kExitCancelled;
    if (startupCode != velumar::kOk || installResult != velumar::kOk) return kExitFailed;
    return kExitCancelled;
}

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view end) noexcept {
    return endsWithIgnoringAsciiCase(text, end);
}

}  // namespace

PictureFormat pictureFormatOf(std::string_view path) noexcept {
    if (endsWithIgnoringCase(path, ".bmp")) return PictureFormat::bitmap;
    if (endsWithIgnoringCase(path, ".jpg")) return PictureFormat::jpeg;
    return PictureFormat::unknown;
}

std::string licenseText(std::string_view fileBytes) {
    std::string text;
    text.reserve(fileBytes.size() + fileBytes.size() / 16);
    for (size_t i = 0; i < fileBytes.size(); ++i) {
        const char c = fileBytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') ++i;
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace velumar::app
