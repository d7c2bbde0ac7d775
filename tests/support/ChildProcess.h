// A program started by a test, with its output in a file, stopped politely or killed, and
// always gone when the object is.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class ChildProcess
{
public:
    ChildProcess() = default;
    // Starts 'argv' (argv[0] a path) with its standard output and error in 'logPath'.
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath,
                 const std::vector<std::string>& extraEnv = {})
    {
        Start(argv, logPath, extraEnv);
    }
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Start(const std::vector<std::string>& argv, const std::string& logPath,
               const std::vector<std::string>& extraEnv = {})
    {
        Kill();
        m_log = logPath;
        m_exitCode = -1;
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        std::vector<std::string> envText;
        // An extra NAME=VALUE replaces the inherited NAME (the first one found is the one used).
        for (char** e = environ; *e; ++e)
        {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('=') + 1);
            if (std::none_of(extraEnv.begin(), extraEnv.end(),
                             [&](const std::string& extra) { return extra.rfind(name, 0) == 0; }))
                envText.push_back(entry);
        }
        envText.insert(envText.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> env;
        for (std::string& e : envText)
            env.push_back(e.data());
        env.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const int failed = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed)
        {
            m_pid = 0;
            throw std::runtime_error("cannot start " + argv[0]);
        }
    }

    bool Running()
    {
        if (m_pid == 0)
            return false;
        int status = 0;
        pid_t done = 0;
        do
            done = waitpid(m_pid, &status, WNOHANG);
        while (done < 0 && errno == EINTR);
        if (done == 0)
            return true;
        if (done < 0)
        {
            // Not ours to wait for any more: the outcome is unknown, never a success.
            m_pid = 0;
            m_exitCode = -3;
            return false;
        }
        Reap(status);
        return false;
    }

    // SIGTERM, then waits; SIGKILL when it does not end in time. The exit code (-1: killed).
    int Stop(std::chrono::milliseconds patience = std::chrono::milliseconds(10000))
    {
        if (m_pid == 0)
            return m_exitCode;
        kill(m_pid, SIGTERM);
        return Wait(patience);
    }
    void Kill()
    {
        if (m_pid == 0)
            return;
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        Reap(status);
    }
    // Waits for the program to end by itself; its exit code, or -2 when it did not end in time
    // (it is killed then).
    int Wait(std::chrono::milliseconds patience)
    {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (Running())
        {
            if (std::chrono::steady_clock::now() > until)
            {
                Kill();
                return m_exitCode = -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_exitCode;
    }

    pid_t Pid() const { return m_pid; }
    std::string Output() const
    {
        std::ifstream in(m_log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    void Reap(int status)
    {
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = 0;
    }

    pid_t m_pid = 0;
    int m_exitCode = -1;
    std::string m_log;
};
