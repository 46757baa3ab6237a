// What the benchmarks measure with: a clock, the process's memory, file sizes and the plain
// sequential read of a file that every figure is set against.
#pragma once

#include <string>

// Seconds from an arbitrary start, from the performance counter.
double Now();

// One line with the peak and current memory of this process, after the label when.
void PrintMemory(const char* when);

// The size of a file in MB; 0 when it cannot be read.
double FileMb(const std::string& path);

struct PlainReadResult {
    double seconds;
    unsigned long long checksum;  // returned so that the read cannot be optimised away
};

// A plain sequential read in 1 MB blocks, the floor any reader of the file stands on;
// {0, 0} when the file cannot be opened.
PlainReadResult PlainRead(const std::string& path);
