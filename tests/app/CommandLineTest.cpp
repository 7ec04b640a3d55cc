#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace tvk {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, ArgumentsGiveTheActionAndTheFile) {
    struct Case {
        QStringList arguments;
        Action action;
        QString file;
    };
    const Case cases[] = {
        {{}, Action::Run, ""},
        {{"run.tvk"}, Action::Run, "run.tvk"},
        {{"/tmp/a b.tvk"}, Action::Run, "/tmp/a b.tvk"},
        {{"-platform", "offscreen"}, Action::Run, "offscreen"}, // before Qt removed its option's value
        {{"-style", "run.tvk"}, Action::Run, "run.tvk"},
        {{"--", "--help"}, Action::Run, "--help"},
        {{"--", "-x.tvk"}, Action::Run, "-x.tvk"},
        {{"-"}, Action::Run, "-"},
        {{"--help"}, Action::Help, ""},
        {{"run.tvk", "--help"}, Action::Help, ""},
        {{"--version", "--help"}, Action::Version, ""},
        {{"--verbose"}, Action::Error, ""},
        {{"one.tvk", "two.tvk"}, Action::Error, ""},
        {{"--help=1"}, Action::Error, ""},
    };
    for (const Case& c : cases) {
        const CommandLine line = CommandLine::parse(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.action(), c.action) << what;
        EXPECT_EQ(line.file(), c.file) << what;
        EXPECT_EQ(line.text().isEmpty(), c.action == Action::Run) << what;
    }
}

TEST(CommandLine, TextsNameTheProgramTheVersionAndTheFault) {
    EXPECT_EQ(CommandLine::parse({"--help"}).text(), CommandLine::helpText());
    EXPECT_TRUE(CommandLine::helpText().startsWith("Usage: tavrimoskel [FILE.tvk]\n"));
    EXPECT_EQ(CommandLine::parse({"--version"}).text(), QStringLiteral("tavrimoskel %1\n").arg(TVK_VERSION));
    EXPECT_TRUE(CommandLine::parse({"--bogus"}).text().contains("'--bogus'"));
    EXPECT_TRUE(CommandLine::parse({"a.tvk", "b.tvk"}).text().contains("'a.tvk' and 'b.tvk'"));
}

} // namespace
} // namespace tvk
