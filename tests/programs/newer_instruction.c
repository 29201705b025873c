/* A program built for the i686 that holds a cmov, for the check of the instruction check
   itself: pick() must be named with its address. Never run. */
int pick(int a, int b, int c) {
    int r = a;
    __asm__("cmpl %2, %1\n\tcmovl %3, %0" : "+r"(r) : "r"(a), "r"(b), "r"(c) : "cc");
    return r;
}

int main(int argc, char** argv) {
    return pick(argc, 2, (int)(long)argv);
}
