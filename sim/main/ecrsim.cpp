// The simulated register as a program:
//     ecrsim --tcp PORT|--pty [--register FILE] [--fault FAULT ...] [--baud N] [--sales PLAN]
//            [--once] [--wait MS] [--late-eot] [--wack FIRST,EVERY] [--busy SPELL ...]
//            [--repeats N] [--lenient] [--timeless]
// The first line of standard output is the TCP port listened on, or the pseudo-terminal
// device the driver opens as its serial port. Runs until killed, or with --once until the
// first session ends. Every sale the register makes is reported with a line "sold ...".
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Exceptions.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SalesDay.h"
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
                 "                   etb nul oversize; a slow register (value: ms, default 900):\n"
                 "                   slowbytes (a byte every value ms) wackstream straystream\n"
                 "  --baud N         every byte takes its time on a line of N baud (10 bits a byte)\n"
                 "  --sales PLAN     sell DAYS[xRECEIPTS] days (the last one today) at start-up;\n"
                 "                   SIGUSR1 makes the register sell that again (2 days by default)\n"
                 "  --once           stop after the first session\n"
                 "  --wait MS        the register waits MS for the driver's next byte, then says EOT\n"
                 "                   and waits for ENQ again (default 2000; 0: for ever)\n"
                 "  --late-eot       that EOT comes late, as the first byte of its next answer\n"
                 "  --wack F,E       while busy, WACK F ms after the driver's byte, then every E ms\n"
                 "                   (default 2000,1500)\n"
                 "  --busy SPELL     MS[,file=ID][,at=start|frame|end|any][,frame=N][,count=N]: that\n"
                 "                   answer comes MS late (count 0: every time; default once)\n"
                 "  --repeats N      frames repeated after NAK, either way, before it gives up\n"
                 "                   (default 3; 0: no limit)\n"
                 "  --lenient        no NAK to stray bytes while idle, no repeat limit, files it\n"
                 "                   does not have served empty instead of refused (code 13)\n"
                 "  --timeless       lenient and without a clock: the register waits for ever\n"
                 "  --version        print the version and stop\n"
                 "The first line printed is the port or the pseudo-terminal's path.\n");
}

// Set by SIGUSR1: the register sells once more.
volatile std::sig_atomic_t gSellAgain = 0;
extern "C" void OnSellSignal(int) { gSellAgain = 1; }

void Sell(TRegisterSim& sim, TSalesDay& seller, const AnsiString& plan) {
    int days = 0, receipts = 0;
    if (!TSalesDay::ParsePlan(plan, days, receipts)) throw Exception("bad sales '" + plan + "'");
    TSalesDay::TSale sale;
    {
        auto lock = sim.Lock();
        sale = seller.Sell(days, receipts);
    }
    std::printf("sold %d receipts W%ld-W%ld\n", sale.receipts, sale.firstPrintout, sale.lastPrintout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    bool tcp = false, pty = false, once = false;
    int port = 0, baud = 0;
    AnsiString registerFile, sales;
    std::vector<AnsiString> faults;
    TRegisterClock clock;
    TRegisterStrictness strict;
    bool timeless = false;
    auto number = [](const AnsiString& text, int& value) {
        if (TryStrToInt(text, value) && value >= 0) return true;
        std::fprintf(stderr, "ecrsim: bad number %s\n", text.c_str());
        return false;
    };
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
        } else if (a == "--sales") {
            sales = next("--sales");
        } else if (a == "--once") {
            once = true;
        } else if (a == "--wait") {
            if (!number(next("--wait"), clock.waitMs)) return 2;
        } else if (a == "--late-eot") {
            clock.lateEot = true;
        } else if (a == "--wack") {
            const AnsiString v = next("--wack");
            const size_t comma = v.find(',');
            if (comma == AnsiString::npos || !number(v.substr(0, comma), clock.firstWackMs) ||
                !number(v.substr(comma + 1), clock.wackEveryMs) || clock.wackEveryMs == 0)
                return 2;
        } else if (a == "--busy") {
            try {
                clock.spells.push_back(TBusySpell::Parse(next("--busy")));
            } catch (const std::exception& e) {
                std::fprintf(stderr, "ecrsim: %s\n", e.what());
                return 2;
            }
        } else if (a == "--repeats") {
            if (!number(next("--repeats"), strict.repeats)) return 2;
        } else if (a == "--lenient") {
            strict = TRegisterStrictness{false, 0, false};
        } else if (a == "--timeless") {
            timeless = true;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a == "--version") {
            std::printf("ecrsim %s\n", VELKORA_VERSION);
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
        sim.clock = clock;
        sim.strict = strict;
        if (timeless) sim.SetTimeless();
        for (const AnsiString& f : faults) sim.AddFault(f);
        TSalesDay seller(*state);
        if (sales.empty()) sales = state->salesSpec;
        const bool sellAtStart = !sales.empty();
        if (sales.empty()) sales = "2";
        int days = 0, receipts = 0;
        if (!TSalesDay::ParsePlan(sales, days, receipts)) throw Exception("bad sales '" + sales + "'");
#ifdef SIGUSR1
        std::signal(SIGUSR1, OnSellSignal);
#endif
        std::atomic<bool> done{false};
        std::thread signals([&] {
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (!gSellAgain) continue;
                gSellAgain = 0;
                Sell(sim, seller, sales);
            }
        });
        struct Join {
            std::atomic<bool>& done;
            std::thread& thread;
            ~Join() {
                done = true;
                thread.join();
            }
        } join{done, signals};
        if (tcp) {
            TSimTcpServer server(sim, port);
            server.pacer.SetBaud(baud);
            std::printf("%d\n", server.Port());
            std::fflush(stdout);
            if (sellAtStart) Sell(sim, seller, sales);
            server.Run(once);
        } else {
            TSimPty line(sim);
            line.pacer.SetBaud(baud);
            std::printf("%s\n", line.SlavePath().c_str());
            std::fflush(stdout);
            if (sellAtStart) Sell(sim, seller, sales);
            line.Run(once);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ecrsim: %s\n", e.what());
        return 1;
    }
    return 0;
}
