#pragma once

// The arguments a Q*Application is made with: the program name only, since
// the command line is ours. Qt keeps a reference to the count, so this must
// outlive the application object.
struct QtArguments {
    explicit QtArguments(char** argv) : args{argv[0], nullptr} {}
    int count = 1;
    char* args[2];
};
