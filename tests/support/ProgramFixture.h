#pragma once

// The program started for a test as the desktop starts it, in a scratch
// working folder of the test's own.

#include "AppController.h"
#include "TestPlatform.h"

#include <functional>
#include <memory>
#include <optional>

namespace jftest {

// One test's program: a scratch working folder holding the shipped Data
// folder, and the desktop services replaced by doubles. A test class holds
// one, renews it in init() and clears it in cleanup(); a test starts the
// program with start(), once `prepare` has made the Data folder what the
// test needs.
class ProgramFixture
{
public:
    struct Started
    {
        TestPlatform& platform;
        WorkDir& work;
        jf::AppController& app;
        jf::MainWindow& form;
    };

    // A fresh folder, with or without the Data folder, and fresh doubles.
    void renew(bool withData = true)
    {
        clear();
        m_platform.emplace();
        m_work.emplace(withData);
    }
    void clear()
    {
        m_app.reset();
        m_work.reset();
        m_platform.reset();
    }

    Started start(const std::function<void(const WorkDir&)>& prepare = {})
    {
        if (prepare)
            prepare(*m_work);
        m_app.reset();
        m_app = std::make_unique<jf::AppController>();
        return {*m_platform, *m_work, *m_app, m_app->mainWindow()};
    }

    TestPlatform& platform() { return *m_platform; }
    WorkDir& work() { return *m_work; }

private:
    std::optional<TestPlatform> m_platform;
    std::optional<WorkDir> m_work;
    std::unique_ptr<jf::AppController> m_app;
};

} // namespace jftest
