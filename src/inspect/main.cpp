// Entry point of korvane2-inspect.
int main() { return 0; }
