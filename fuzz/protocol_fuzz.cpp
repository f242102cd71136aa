// Protocol fuzzer (being written).
int main() { return 0; }
