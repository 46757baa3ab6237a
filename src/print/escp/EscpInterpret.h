// The ESC/P interpreter: where each character of a job lands on the paper, as an Epson
// dot-matrix printer lays it out. The preview's raster and the drawing on Windows
// printers both work from it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "print/escp/EscpCommands.h"

// One character put on the paper.
struct EscpStrike {
    double x;            // 1/120 inch from the left end of the 8-inch line
    long y;              // 1/432 inch down the continuous paper, the top of a capital
    unsigned code;       // the character drawn, as a Unicode code point
    unsigned char mode;  // the ESC ! mode bits in force when it was printed
    int form;            // how many form feeds came before it
};

// Bytes the printer would not understand, at the place they came.
struct EscpMark {
    double x;
    long y;
    std::string label;  // their hex codes, "1B 99"
    int form;
};

// One page of the continuous form paper, as ESC C sets its length.
struct EscpForm {
    long top;     // 1/432 inch down the paper: where printing starts on it
    long length;  // 1/432 inch
};

struct EscpJob {
    std::vector<EscpStrike> strikes;  // in the order printed
    std::vector<EscpMark> marks;
    std::vector<EscpForm> forms;      // at least one
    // Where each stretch between form feeds starts (1/432 inch down the paper): a strike
    // lies formStarts[strike.form] below the top of the sheet it goes on. At least one;
    // a form feed that ends the job opens no stretch of its own.
    std::vector<long> formStarts;
};

EscpJob InterpretEscp(const std::string& bytes);

// Everything the interpreter knows at one command of a job: reading can start again there.
struct EscpResume {
    size_t at = 0;       // the command's first byte
    size_t strikes = 0;  // characters printed before it
    EscpSettings settings;
    double x = 0;
    long y = 0;
    int formFeeds = 0;
    EscpForm form{0, 0};  // the form the head is on, as far as it is known there
    bool printedAny = false;
    long lastPrintedY = 0;
    int lastPrintedForm = 0;
};

// A job without its characters, for one too long to keep every character of: its forms
// and form starts exactly as InterpretEscp gives them (no strikes, no marks), how many
// characters it prints, and every few kilobytes a place where reading can start again.
struct EscpOutline {
    EscpJob paper;
    size_t strikes = 0;
    std::vector<EscpResume> resumes;  // the first at the job's start
};

EscpOutline OutlineEscp(const std::string& bytes);

// Gives the strikes from number first on (counted from 0 in the order printed) to each,
// with their numbers, until each returns false or the job ends. outline is bytes'.
void ForEachEscpStrike(const std::string& bytes, const EscpOutline& outline, size_t first,
                       const std::function<bool(size_t number, const EscpStrike& strike)>& each);

// The stretch of paper from fromY to toY (1/432 inch): the job's forms and form starts,
// with the strikes and marks that lie on the stretch, as InterpretEscp has them.
EscpJob InterpretEscpBetween(const std::string& bytes, const EscpOutline& outline, long fromY, long toY);
