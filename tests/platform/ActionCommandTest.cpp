// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ActionCommand.h"

#include <gtest/gtest.h>

// The program is known, so the registry's value is taken apart at its end and nowhere else; the
// arguments follow, the file where "%1" stands or last.
TEST(ActionCommandTest, TheValueIsTheProgramFollowedByItsArguments)
{
    const struct
    {
        const char* program;
        const char* value;
        const char* desktopExec; // nullptr: no command
    } cases[] = {
        {"/opt/my tools/prog", "/opt/my tools/prog 1% %1", "\"/opt/my tools/prog\" 1%% %f"},
        {"/opt/my tools/prog", "/opt/my tools/prog", "\"/opt/my tools/prog\" %f"},
        {"/bin/prog", "/bin/prog  -x", "/bin/prog -x %f"},
        {"/bin/prog", "/bin/prog %1 -x", "/bin/prog %f -x"},
        {"/bin/prog", "/bin/program 1% %1", nullptr}, // another program that starts alike
        {"/bin/prog", "  %1", nullptr},               // a blank command, registered
        {"", "", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<ActionCommand> command =
            ActionCommand::fromValue(QString::fromUtf8(c.program), QString::fromUtf8(c.value));
        ASSERT_EQ(command.has_value(), c.desktopExec != nullptr) << c.value;
        if (command) {
            EXPECT_EQ(command->desktopExec(QStringLiteral("%f")), QString::fromUtf8(c.desktopExec))
                << c.value;
        }
    }
}
