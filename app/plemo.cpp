#include "app/program_main.hpp"

int main(int argc, char** argv) { program_main(argc, argv, {" Plemo Numbers", +1}); }
