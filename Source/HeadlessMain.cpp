// Headless runner entry point; replaced by the runner once it exists.
int main() { return 0; }
