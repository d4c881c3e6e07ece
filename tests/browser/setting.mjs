// What the cases share, set by browser_test.mjs from its command line before the first case runs:
// its options, the transcripts' folder, axe-core's source, and the addresses of the page served and
// of the page unpacked from cpack's ZIP (none without --cpack-config). Each module that imports
// them sees them as last set.

export let options = {};
export let transcripts = '';
export let axe_source = '';
export let url = '';
export let zip;

// Sets those of the values above that `values` holds.
export function settle(values) {
  ({options = options, transcripts = transcripts, axe_source = axe_source, url = url, zip = zip} =
       values);
}
