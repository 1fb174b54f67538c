// How z2o-inspect prints a file's records: one printer for each format.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "cli/inspect/contents.h"

namespace z2o::inspect {

class Printer {
  public:
    Printer() = default;
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    virtual ~Printer() { flush(); }

    void print(const std::string& file, Contents& contents) {
        write(file, contents);
        flush();
    }

    // Before a problem goes to standard error, so that the two keep their order on a terminal.
    void flush() {
        std::fwrite(m_out.data(), 1, m_out.size(), stdout);
        std::fflush(stdout);
        m_out.clear();
    }

  protected:
    virtual void write(const std::string& file, Contents& contents) = 0;

    // Long outputs go out in pieces rather than all at once at the end.
    void flushWhenLarge() {
        if (m_out.size() > (1 << 20)) flush();
    }

    std::string m_out;
};

// Aligned columns under a title, and a closing line with the steps and playing time.
std::unique_ptr<Printer> tablePrinter();
// A header line, then one line per record; the files are all of one kind.
std::unique_ptr<Printer> csvPrinter();
// One object per file and line.
std::unique_ptr<Printer> jsonPrinter();

}  // namespace z2o::inspect
