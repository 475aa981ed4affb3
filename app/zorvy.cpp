#include "app/program_main.hpp"

int main(int argc, char** argv) { program_main(argc, argv, {" Zorvy Numbers", -1}); }
