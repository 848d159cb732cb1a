// The program as main.cpp assembles it, started in a scratch folder of its own with the data files,
// that folder the current one while a test runs.
#pragma once

#include <QImage>

#include <memory>
#include <string>

#include "main_window_fixture.hpp"
#include "program/program.hpp"

namespace kalidos::app::testing {

class ProgramFixture : public ::testing::Test {
  protected:
    // `prefix` starts the scratch folder's name, the test's name ends it.
    explicit ProgramFixture(std::string prefix) : prefix_(std::move(prefix)) {}

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = kalidos::testing::make_scratch_dir(prefix_ + info->name());
        previous = QDir::currentPath();
        provide_data_files(dir);
        QDir::setCurrent(QString::fromStdString(dir.string()));
        program = std::make_unique<Program>(dir.string(), messages, dialogs, nullptr);
        ASSERT_TRUE(program->start());
    }
    void TearDown() override
    {
        program.reset();
        if (!previous.isEmpty())
            QDir::setCurrent(previous);
    }

    std::filesystem::path dir;
    QString previous;
    kalidos::testing::RecordingMessages messages;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<Program> program;

private:
    std::string prefix_;
};

// Saves a picture of README.md into the test's picture folder of the build.
inline void save_picture(const QImage& picture, const char* name)
{
    QDir().mkpath(KALIDOS_PICTURE_DIR);
    EXPECT_TRUE(picture.save(QString(KALIDOS_PICTURE_DIR) + "/" + name)) << name;
}

}  // namespace kalidos::app::testing
