#!/usr/bin/perl
# Perl's XBase module (Debian libdbd-xbase-perl), written independently of Quillon, reads the
# tables, memos and compound indexes that Quillon writes.
# Usage: interop_perl.pl FIXTURE_PROGRAM WORK_DIR
use strict;
use warnings;

if (!eval { require XBase; require XBase::Index; 1 }) {
  print "SKIP: Perl's XBase module is not installed (Debian package libdbd-xbase-perl)\n";
  exit 77;
}

my ($fixture, $dir) = @ARGV;
system("rm", "-rf", $dir) == 0 or die;
system("mkdir", "-p", $dir) == 0 or die;
system($fixture, "write", $dir) == 0 or die "fixture failed\n";

my $failures = 0;
sub check {
  my ($ok, $what) = @_;
  print(($ok ? "ok" : "not ok"), " - $what\n");
  $failures++ unless $ok;
}

# Walks a tag the way its order flag says: the keys are stored ascending.
sub walk {
  my ($cdx, $tag) = @_;
  my $index = XBase::Index->new($cdx, tag => $tag, type => 'char')
    or die "cannot open tag $tag of $cdx: " . XBase::Index->errstr . "\n";
  $index->prepare_select;
  my @records;
  while (my @pair = $index->fetch) { push @records, $pair[1]; }
  @records = reverse @records if $index->{sort_order};
  return ($index, @records);
}

sub fieldOf {
  my ($table, $recno, $field) = @_;
  my $values = $table->get_record_as_hash($recno - 1);
  my $v = $values->{$field};
  $v =~ s/\s+$// if defined $v;
  return $v;
}

# The sent table: fields, records, delete flag, memos.
my $sent = XBase->new("$dir/QLN.DBF") or die XBase->errstr;
check(join(",", $sent->field_names) eq
        "SUBJECT,SENT,DATESENT,TIMESENT,RECIPIENT,PHONE,PAGES,LASTRESULT,RTFCOVER,RTFDOC",
      "sent table field list");
check(join(",", map { $sent->field_type($_) . $sent->field_length($_) } $sent->field_names) eq
        "C50,L1,D8,C5,C35,C25,N2,C100,M10,M10", "sent table types and widths");
check($sent->last_record == 5, "six records");
my @deleted = map { ($sent->get_record($_))[0] } 0 .. 5;
check("@deleted" eq "0 0 0 1 0 0", "only record 4 is flagged deleted");
check(fieldOf($sent, 1, "RTFDOC") eq "{\\rtf1 document for Zo\xeb M\xfcller}", "memo with Latin-1 text");
check(fieldOf($sent, 1, "RECIPIENT") eq "Zo\xeb M\xfcller", "Latin-1 character field");
check(fieldOf($sent, 3, "DATESENT") eq "20231231", "date field");

my ($tag, @order) = walk("$dir/QLN.CDX", "DATESENT");
check(join(",", $tag->tags) eq "DATESENT", "QLN.CDX holds the tag DATESENT");
check($tag->{key_string} eq "DTOS(DATESENT)+TIMESENT", "sent key expression");
check($tag->{for_string} eq ".not. deleted()", "sent FOR condition");
check($tag->{sort_order} == 1, "sent tag is descending");
check("@order" eq "5 1 3 6 2", "sent records in tag order (newest first, never sent last): @order");

($tag, @order) = walk("$dir/QLNREC.CDX", "DATETIME");
check($tag->{key_string} eq "DTOS(DATEREC)+TIMEREC" && $tag->{sort_order} == 1, "received tag");
check("@order" eq "2 1 3", "received records in tag order: @order");

($tag, @order) = walk("$dir/QLNPB.CDX", "NAME");
check($tag->{key_string} eq "UPPER(NAME)" && $tag->{sort_order} == 0, "phone tag ascending");
check("@order" eq "2 4 3 1", "phone records in tag order: @order");

# After the rebuild: packed, and the sent tag keyed on the date alone.
my $packed = XBase->new("$dir/rebuilt/QLN.DBF") or die XBase->errstr;
check($packed->last_record == 4, "the rebuild packed the flagged record away");
($tag, @order) = walk("$dir/rebuilt/QLN.CDX", "DATESENT");
check($tag->{key_string} eq "datesent" && $tag->{for_string} eq ".not. deleted()",
      "rebuilt sent tag");
check("@order" eq "4 1 3 5 2", "rebuilt sent records in date order: @order");

# Several levels of index nodes.
my $big = XBase::Index->new("$dir/BIG.CDX", tag => "NAME", type => 'char') or die XBase::Index->errstr;
$big->prepare_select;
my ($count, $sorted, $previous) = (0, 1, "");
while (my ($key, $recno) = $big->fetch) {
  $count++;
  $sorted = 0 if $key lt $previous;
  $previous = $key;
}
check($count == 5000 && $sorted, "5000 keys walked in order across interior nodes ($count)");
my ($numeric, @numbers) = walk("$dir/BIG.CDX", "NDESC");
check(@numbers == 5000 && $numbers[0] == 5000 && $numbers[-1] == 1, "numeric descending tag");

print "$failures failed\n";
exit($failures ? 1 : 0);
