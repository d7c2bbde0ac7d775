// An X server of the tests' own (Xvfb) with Qt on it to read the screen back, and the means to
// drive a terminal there as a user does: programs started with their output in a file, real
// pointer and key events through xdotool, pixels counted on the screen.
#pragma once

#include "support/ScopedTempDir.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace xvfb
{

inline bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts a program with its standard output and error in 'outputFile'; 'keepFd' stays open in it.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& outputFile, int keepFd = -1)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0)
        {
            dup2(out, 2);
            dup2(out, 1);
        }
        for (int fd = 3; fd < 256; ++fd)
        {
            if (fd != keepFd)
                close(fd);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// One Xvfb for a suite of tests. Start() says why it could not start (the tests skip with that);
// the folder is the suite's, for logs and whatever the tests keep.
class Server
{
public:
    std::string Start(const std::string& screen)
    {
        if (!OnPath("Xvfb") || !OnPath("xdotool"))
            return "Xvfb or xdotool is not installed (scripts/deps installs them)";
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return "no pipe for Xvfb's display number";
        m_dir = new ScopedTempDir;
        m_pid = Spawn(
            {"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen, "-nolisten", "tcp"},
            *m_dir / "xvfb.log", pipeFds[1]);
        close(pipeFds[1]);
        std::string display;
        char c;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
            display += c;
        close(pipeFds[0]);
        if (display.empty())
            return "no X server could be started: " + ReadFile(*m_dir / "xvfb.log");
        setenv("DISPLAY", (":" + display).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XDG_RUNTIME_DIR", m_dir->Path().c_str(), 1);
        static int argc = 1;
        static char name[] = "host_screen_tests";
        static char* argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
        return {};
    }

    void Stop()
    {
        delete m_app;
        m_app = nullptr;
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
        delete m_dir;
        m_dir = nullptr;
    }

    ScopedTempDir& Dir() const { return *m_dir; }

private:
    ScopedTempDir* m_dir = nullptr;
    pid_t m_pid = -1;
    QGuiApplication* m_app = nullptr;
};

// xdotool with these arguments; its exit code.
inline int Xdo(const std::string& args, int timeoutSeconds = 10)
{
    return WEXITSTATUS(std::system(
        ("timeout " + std::to_string(timeoutSeconds) + " xdotool " + args + " > /dev/null 2>&1").c_str()));
}

inline QImage Screen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

inline int Count(const QImage& image, QRect area, QRgb colour)
{
    int n = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

} // namespace xvfb
