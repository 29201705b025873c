#include <gtest/gtest.h>

#include "uninstall/uninstall_command.h"

namespace velumar::uninstall {
namespace {

TEST(UninstallCommand, NoArgumentsAsksBackgroundExitsAtOnce) {
    EXPECT_EQ(parseCommand("").mode, Mode::ask);
    EXPECT_EQ(parseCommand("/b").mode, Mode::background);
    EXPECT_EQ(parseCommand("/B").mode, Mode::background);
    EXPECT_EQ(parseCommand("/x").mode, Mode::unknown);
}

TEST(UninstallCommand, ContinueArgumentsRoundTripWithBlanksInTheFolder) {
    const std::string folder = "C:\\WINDOWS\\Web\\Wallpaper\\Sea Side dir\\";
    const Command command = parseCommand(continueArguments(4242, folder));
    EXPECT_EQ(command.mode, Mode::removeFromCopy);
    EXPECT_EQ(command.originalProcess, 4242u);
    EXPECT_EQ(command.wallpaperFolder, folder);
    EXPECT_EQ(parseCommand("/continue 12x \"C:\\a dir\"").mode, Mode::unknown);
    EXPECT_EQ(parseCommand("/continue 12").mode, Mode::unknown);
}

TEST(UninstallCommand, ArgumentsAfterQuotedOrBareProgramName) {
    EXPECT_EQ(argumentsAfterProgram("\"C:\\a b\\uninstall.exe\" /b"), "/b");
    EXPECT_EQ(argumentsAfterProgram("C:\\WEB\\uninstall.exe  /b"), "/b");
    EXPECT_EQ(argumentsAfterProgram("C:\\WEB\\uninstall.exe"), "");
}

}  // namespace
}  // namespace velumar::uninstall
