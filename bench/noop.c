/* The cheapest possible CGI program: the baseline of a spawn. */
int main(void) { return 0; }
