// The ESC/P interpreter: where each character of a job lands on the paper, as an Epson
// dot-matrix printer lays it out. The preview's raster and the drawing on a Windows
// printer both work from it.
#pragma once

#include <string>
#include <vector>

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
