/* A program with a frame of two pages built without probing it, for the check of the stack
   check itself: the step in fill() must be named with its address. Never run. */
void touch(volatile char* bytes);

void fill(void) {
    volatile char bytes[8192];
    touch(bytes);
}

void touch(volatile char* bytes) {
    bytes[0] = 1;
}

int main(void) {
    fill();
    return 0;
}
