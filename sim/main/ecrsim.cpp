// The simulated register as a program:
//     ecrsim --tcp PORT|--pty [--register FILE] [--fault FAULT ...] [--baud N] [--once]
// The first line of standard output is the TCP port listened on, or the pseudo-terminal
// device the driver opens as its serial port. Runs until killed, or with --once until the
// first session ends.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "platform/Exceptions.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: ecrsim --tcp PORT|--pty [--register FILE] [--fault FAULT ...] [--baud N] [--once]\n"
                 "  --tcp PORT       listen on 127.0.0.1:PORT (0: any free port)\n"
                 "  --pty            make a pseudo-terminal and serve its slave side\n"
                 "  --register FILE  the register's data files (see sim/demo-register.txt)\n"
                 "  --fault FAULT     kind[,at=enq|start|turn|frame|end|report|any][,file=ID]\n"
                 "                   [,frame=N][,count=N][,code=HH][,value=N]; kinds: nak silence\n"
                 "                   eot drop error shorterror byte wack garbage badcheck lowerhex\n"
                 "                   etb nul oversize\n"
                 "  --baud N         every byte takes its time on a line of N baud (10 bits a byte)\n"
                 "  --once           stop after the first session\n"
                 "The first line printed is the port or the pseudo-terminal's path.\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool tcp = false, pty = false, once = false;
    int port = 0, baud = 0;
    AnsiString registerFile;
    std::vector<AnsiString> faults;
    for (int i = 1; i < argc; ++i) {
        AnsiString a = argv[i];
        auto next = [&](const char* what) -> AnsiString {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ecrsim: %s needs a value\n", what);
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--tcp") {
            tcp = true;
            if (!TryStrToInt(next("--tcp"), port) || port < 0 || port > 65535) {
                std::fprintf(stderr, "ecrsim: bad port\n");
                return 2;
            }
        } else if (a == "--pty") {
            pty = true;
        } else if (a == "--register") {
            registerFile = next("--register");
        } else if (a == "--fault") {
            faults.push_back(next("--fault"));
        } else if (a == "--baud") {
            if (!TryStrToInt(next("--baud"), baud) || baud < 1) {
                std::fprintf(stderr, "ecrsim: bad baud rate\n");
                return 2;
            }
        } else if (a == "--once") {
            once = true;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "ecrsim: unknown argument %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    if (tcp == pty) {
        Usage();
        return 2;
    }
    try {
        auto state = std::make_shared<TNovitusRegister>();
        if (!registerFile.empty()) state->LoadFile(registerFile);
        TRegisterSim sim(state);
        for (const AnsiString& f : faults) sim.AddFault(f);
        if (tcp) {
            TSimTcpServer server(sim, port);
            server.pacer.SetBaud(baud);
            std::printf("%d\n", server.Port());
            std::fflush(stdout);
            server.Run(once);
        } else {
            TSimPty line(sim);
            line.pacer.SetBaud(baud);
            std::printf("%s\n", line.SlavePath().c_str());
            std::fflush(stdout);
            line.Run(once);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ecrsim: %s\n", e.what());
        return 1;
    }
    return 0;
}
