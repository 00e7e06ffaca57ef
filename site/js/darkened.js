// Before the first paint: the darkened variant's colours apply from the start.
if (/[?&]darkened=1(&|$)/.test(location.search)) document.documentElement.className = 'darkened';
