#include "SecretInput.h"

#include <QTextStream>

#include <csignal>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace parlowind::cli {

namespace {

termios s_savedTerminal;
volatile sig_atomic_t s_echoOff = 0;

void restoreAndReraise(int signal)
{
    if (s_echoOff)
        tcsetattr(STDIN_FILENO, TCSANOW, &s_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off for its lifetime; an interrupt restores the terminal before the
// process ends.
class EchoOff final
{
public:
    EchoOff()
    {
        if (tcgetattr(STDIN_FILENO, &s_savedTerminal) != 0)
            return;
        struct sigaction action = {};
        action.sa_handler = restoreAndReraise;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < signalCount; ++i)
            sigaction(signals[i], &action, &m_previous[i]);
        termios quiet = s_savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        s_echoOff = 1;
        if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0)
            restore();
    }
    ~EchoOff() { restore(); }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    void restore()
    {
        if (!s_echoOff)
            return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &s_savedTerminal);
        s_echoOff = 0;
        for (int i = 0; i < signalCount; ++i)
            sigaction(signals[i], &m_previous[i], nullptr);
    }

    static constexpr int signalCount = 4;
    static constexpr int signals[signalCount] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };
    struct sigaction m_previous[signalCount] = {};
};

} // namespace

QString readSecretLine(const QString &prompt)
{
    std::string line;
    if (isatty(STDIN_FILENO)) {
        // Echo goes off before the prompt shows, so nothing typed after it is seen.
        EchoOff echoOff;
        QTextStream(stderr) << prompt << Qt::flush;
        std::getline(std::cin, line);
    } else {
        std::getline(std::cin, line);
    }
    // Wipe our copy once it is converted.
    QString text = QString::fromUtf8(line).trimmed();
    std::fill(line.begin(), line.end(), '\0');
    return text;
}

} // namespace parlowind::cli
