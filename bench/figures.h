#pragma once
// The sub-commands of tarvex-bench; each measures one figure in a process of its own and
// prints "key value" lines (see benchkit.h Report).

namespace bench {

int ExchangeMain(int argc, char** argv);
int WaitCpuMain(int argc, char** argv);
int StartupMain(int argc, char** argv);
int SoakMain(int argc, char** argv);
int OpenFileMain(int argc, char** argv);
int DispatchMain(int argc, char** argv);
int ReportMain(int argc, char** argv);
int KneesMain(int argc, char** argv);
int ArchiveMain(int argc, char** argv);

} // namespace bench
